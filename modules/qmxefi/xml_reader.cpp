#include "xml_reader.h"

namespace qmxefi {

std::vector<const XmlNode*> XmlNode::All(std::string_view child) const {
    std::vector<const XmlNode*> out;
    for (const XmlNode& c : children)
        if (c.name == child) out.push_back(&c);
    return out;
}

namespace {

bool NameStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool NameChar(char c) { return NameStart(c) || (c >= '0' && c <= '9'); }

// Running out of input is no error: the kernel keeps what it read.
enum class Outcome { kOk, kEnded, kRefused };

class Parser {
public:
    explicit Parser(std::string_view in) : in_(in) {}

    Outcome Root(XmlNode& root) {
        char c = 0;
        do {
            if (!Get(c)) return Outcome::kEnded;
        } while (c != '<');
        for (;;) {
            if (!Get(c)) return Outcome::kEnded;
            if (NameStart(c)) return Node(root, 1, c);
            if (c == '!') {
                if (Outcome o = Comment(); o != Outcome::kOk) return o;
            } else if (c != ' ') {
                return Refuse("no name after '<'");
            }
        }
    }

    const std::string& why() const { return why_; }

private:
    bool Get(char& c) {
        while (pos_ < in_.size()) {
            c = in_[pos_++];
            if (c != '\r' && c != '\n') return true;
        }
        return false;
    }

    Outcome Refuse(const char* what) {
        why_ = what;
        return Outcome::kRefused;
    }

    // After "<!": "--" and everything up to "-->"; a third dash before ">"
    // counts again from nothing.
    Outcome Comment() {
        char c = 0;
        for (int i = 0; i < 2; ++i) {
            if (!Get(c)) return Outcome::kEnded;
            if (c != '-') return Refuse("'<!' that starts no comment");
        }
        int dashes = 0;
        for (;;) {
            if (!Get(c)) return Outcome::kEnded;
            if (c == '>' && dashes == 2) return Outcome::kOk;
            dashes = (c == '-' && dashes < 2) ? dashes + 1 : 0;
        }
    }

    Outcome CommentInTag() {
        const Outcome o = Comment();
        return o == Outcome::kOk ? Refuse("comment inside a tag") : o;
    }

    Outcome Node(XmlNode& node, int depth, char c) {
        std::string name(1, c);
        for (;;) {
            if (!Get(c)) return Outcome::kEnded;
            if (c == '>' || c == ' ' || c == '/') break;
            if (NameChar(c)) name += c;
        }
        node.name = std::move(name);
        if (c == ' ') {
            if (Outcome o = SkipAttributes(c); o != Outcome::kOk) return o;
        }
        if (c == '/') {
            if (!Get(c)) return Outcome::kEnded;
            return c == '>' ? Outcome::kOk : Refuse("no '>' after '/'");
        }
        return Content(node, depth);
    }

    // Attributes are checked for form but not kept: no element here needs one.
    Outcome SkipAttributes(char& c) {
        for (;;) {
            if (!Get(c)) return Outcome::kEnded;
            if (c == '>' || c == '/') return Outcome::kOk;
            if (c == ' ') continue;
            if (c == '!') return CommentInTag();
            if (!NameStart(c)) return Refuse("no attribute name");
            do {
                if (!Get(c)) return Outcome::kEnded;
                if (c == '>') return Refuse("attribute without a value");
            } while (c != '=');
            if (!Get(c)) return Outcome::kEnded;
            if (c != '"') return Refuse("no '\"' right after '='");
            do {
                if (!Get(c)) return Outcome::kEnded;
            } while (c != '"');
        }
    }

    Outcome Content(XmlNode& node, int depth) {
        std::string text;
        char c = 0;
        for (;;) {
            if (!Get(c)) return Outcome::kEnded;
            if (c != '<') {
                text += c;
                continue;
            }
            if (!Get(c)) return Outcome::kEnded;
            if (c == '/') {
                if (node.children.empty()) node.text = std::move(text);
                return EndTag(node);
            }
            if (c == '!') {
                if (Outcome o = Comment(); o != Outcome::kOk) return o;
                continue;
            }
            if (!NameStart(c)) return Refuse("no name after '<'");
            if (depth >= kMaxXmlDepth) return Refuse("nested too deeply");
            text.clear();
            node.children.emplace_back();
            const Outcome o = Node(node.children.back(), depth + 1, c);
            if (o != Outcome::kOk) return o;
        }
    }

    Outcome EndTag(const XmlNode& node) {
        char c = 0;
        do {
            if (!Get(c)) return Outcome::kEnded;
            if (c == '!') return CommentInTag();
            if (!NameStart(c) && c != ' ' && c != '/') return Refuse("no name in the end tag");
        } while (!NameStart(c));
        std::string name(1, c);
        for (;;) {
            if (!Get(c)) return Outcome::kEnded;
            if (c == '>') return name == node.name ? Outcome::kOk : Refuse("end tag of another element");
            if (NameChar(c)) name += c;
        }
    }

    std::string_view in_;
    size_t pos_ = 0;
    std::string why_;
};

}  // namespace

bool ReadXml(const uint8_t* data, size_t size, XmlNode& root, std::string* why) {
    root = XmlNode();
    if (!data && size != 0) {
        if (why) *why = "no document";
        return false;
    }
    Parser parser(std::string_view(reinterpret_cast<const char*>(data), size));
    if (parser.Root(root) != Outcome::kRefused) return true;
    if (why) *why = parser.why();
    return false;
}

}  // namespace qmxefi
