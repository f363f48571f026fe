#include "bup_document.h"

namespace qmxsim {

const XmlElement* XmlElement::Child(std::string_view child_name) const {
    for (const XmlElement& c : children)
        if (c.name == child_name) return &c;
    return nullptr;
}

std::vector<const XmlElement*> XmlElement::Children(std::string_view child_name) const {
    std::vector<const XmlElement*> out;
    for (const XmlElement& c : children)
        if (c.name == child_name) out.push_back(&c);
    return out;
}

const std::string* XmlElement::Attribute(std::string_view attribute_name) const {
    for (const auto& [key, value] : attributes)
        if (key == attribute_name) return &value;
    return nullptr;
}

namespace {

// ASCII only, whatever the locale: the kernel's names are plain.
bool IsNameStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool IsNameChar(char c) {
    return IsNameStart(c) || (c >= '0' && c <= '9');
}

// How the reading of a part ended. The kernel takes input that runs out
// anywhere as a document read so far, so kCutShort is no failure.
enum class End { kDone, kCutShort, kBad };

class Reader {
public:
    explicit Reader(std::string_view doc) : doc_(doc) {}

    End Document(XmlElement& root) {
        char c = 0;
        do {
            if (!Next(c)) return End::kCutShort;
        } while (c != '<');
        // Blanks and comments may come between the "<" and the root's name.
        for (;;) {
            if (!Next(c)) return End::kCutShort;
            if (IsNameStart(c)) return Element(root, 1, c);
            if (c == '!') {
                if (End e = Comment(); e != End::kDone) return e;
            } else if (c != ' ') {
                return Fail("name expected after '<'");
            }
        }
    }

    std::string Error() const { return error_ + " (line " + std::to_string(line_) + ")"; }

private:
    // The next character; CR and LF never count.
    bool Next(char& c) {
        while (pos_ < doc_.size()) {
            c = doc_[pos_++];
            if (c == '\n') ++line_;
            else if (c != '\r') return true;
        }
        return false;
    }

    End Fail(const char* what) {
        error_ = what;
        return End::kBad;
    }

    // A comment where the tag cannot go on after it.
    End CommentInTag() {
        End e = Comment();
        return e == End::kDone ? Fail("comment inside a tag") : e;
    }

    // After "<!". Only "--" may follow; the comment ends at "-->", but a
    // third dash before it starts the count over: "--->" ends nothing.
    End Comment() {
        char c = 0;
        for (int i = 0; i < 2; ++i) {
            if (!Next(c)) return End::kCutShort;
            if (c != '-') return Fail("'<!' that starts no comment");
        }
        int dashes = 0;
        for (;;) {
            if (!Next(c)) return End::kCutShort;
            if (dashes == 2 && c == '>') return End::kDone;
            dashes = c == '-' && dashes < 2 ? dashes + 1 : 0;
        }
    }

    // From the first character of the element's name on.
    End Element(XmlElement& e, int depth, char c) {
        std::string name(1, c);
        for (;;) {
            if (!Next(c)) return End::kCutShort;  // the name is only taken when it ends
            if (IsNameChar(c)) name += c;
            else if (c == '>' || c == ' ' || c == '/') break;
        }
        e.name = std::move(name);
        if (c == ' ') {
            if (End r = Attributes(e, c); r != End::kDone) return r;
        }
        if (c == '/') {
            if (!Next(c)) return End::kCutShort;
            return c == '>' ? End::kDone : Fail("'>' expected after '/'");
        }
        return Content(e, depth);
    }

    // Up to the ">" or "/" that ends the start tag, left in c.
    End Attributes(XmlElement& e, char& c) {
        for (;;) {
            if (!Next(c)) return End::kCutShort;
            if (c == '>' || c == '/') return End::kDone;
            if (c == '!') return CommentInTag();
            if (c == ' ') continue;
            if (!IsNameStart(c)) return Fail("attribute name expected");
            std::string key(1, c);
            for (;;) {
                if (!Next(c)) return End::kCutShort;
                if (c == '=') break;
                if (c == '>') return Fail("attribute without a value");
                if (IsNameChar(c)) key += c;
            }
            if (!Next(c)) return End::kCutShort;
            if (c != '"') return Fail("'\"' expected right after '='");
            std::string value;
            for (;;) {
                if (!Next(c)) return End::kCutShort;
                if (c == '"') break;
                value += c;
            }
            if (!e.Attribute(key)) e.attributes.emplace_back(std::move(key), std::move(value));
        }
    }

    End Content(XmlElement& e, int depth) {
        std::string text;
        char c = 0;
        for (;;) {
            if (!Next(c)) return End::kCutShort;
            if (c != '<') {
                text += c;
                continue;
            }
            if (!Next(c)) return End::kCutShort;
            if (c == '/') {
                // Taken here, before the end tag is read.
                if (e.children.empty()) e.text = std::move(text);
                return EndTag(e);
            }
            if (c == '!') {
                if (End r = Comment(); r != End::kDone) return r;
                continue;
            }
            if (!IsNameStart(c)) return Fail("name expected after '<'");
            if (depth >= kMaxDepth) return Fail("elements nested too deeply");
            text.clear();  // an element with children keeps no text
            XmlElement child;
            End r = Element(child, depth + 1, c);
            if (r == End::kBad) return r;
            e.children.push_back(std::move(child));
            if (r == End::kCutShort) return r;
        }
    }

    // After "</".
    End EndTag(const XmlElement& e) {
        char c = 0;
        for (;;) {
            if (!Next(c)) return End::kCutShort;
            if (IsNameStart(c)) break;
            if (c == '!') return CommentInTag();
            if (c != ' ' && c != '/') return Fail("name expected in the end tag");
        }
        std::string name(1, c);
        for (;;) {
            if (!Next(c)) return End::kCutShort;
            if (IsNameChar(c)) name += c;
            else if (c == '>') return name == e.name ? End::kDone : Fail("end tag does not match the start tag");
        }
    }

    std::string_view doc_;
    size_t pos_ = 0;
    int line_ = 1;
    std::string error_;
};

}  // namespace

bool ParseXml(const uint8_t* data, size_t size, XmlElement& root, std::string* why) {
    root = XmlElement();
    if (!data && size != 0) {
        if (why) *why = "no document";
        return false;
    }
    Reader reader(std::string_view(reinterpret_cast<const char*>(data), size));
    if (reader.Document(root) != End::kBad) return true;
    if (why) *why = reader.Error();
    return false;
}

}  // namespace qmxsim
