#include "bup_document.h"

#include <algorithm>

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

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool IsNameStart(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '_' || u == ':' || u >= 0x80;
}

bool IsNameChar(char c) {
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

// Offset of the first byte that is not well-formed UTF-8 or is a control
// character XML forbids; size when there is none.
size_t FirstBadByte(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            if (c < 0x20 && !IsBlank(static_cast<char>(c))) return i;
            ++i;
            continue;
        }
        // Lead byte: how many continuation bytes follow and the range of the
        // first, which rules out overlong forms, surrogates and > U+10FFFF.
        size_t more = 0;
        unsigned char lo = 0x80, hi = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) more = 1;
        else if (c == 0xE0) more = 2, lo = 0xA0;
        else if (c == 0xED) more = 2, hi = 0x9F;
        else if (c >= 0xE1 && c <= 0xEF) more = 2;
        else if (c == 0xF0) more = 3, lo = 0x90;
        else if (c >= 0xF1 && c <= 0xF3) more = 3;
        else if (c == 0xF4) more = 3, hi = 0x8F;
        else return i;
        if (s.size() - i <= more) return i;
        for (size_t k = 1; k <= more; ++k) {
            unsigned char b = static_cast<unsigned char>(s[i + k]);
            if (k == 1 ? (b < lo || b > hi) : (b < 0x80 || b > 0xBF)) return i;
        }
        // U+FFFE and U+FFFF are not characters.
        if (c == 0xEF && s[i + 1] == '\xBF' && (s[i + 2] == '\xBE' || s[i + 2] == '\xBF')) return i;
        i += more + 1;
    }
    return s.size();
}

void AppendUtf8(uint32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool IsXmlChar(uint32_t cp) {
    return cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF) ||
           (cp >= 0xE000 && cp <= 0xFFFD) || (cp >= 0x10000 && cp <= 0x10FFFF);
}

class Reader {
public:
    explicit Reader(std::string_view doc) : doc_(doc) {}

    bool Document(XmlElement& root) {
        if (size_t bad = FirstBadByte(doc_); bad < doc_.size()) {
            pos_ = bad;
            return Fail("not UTF-8 text, or a control character");
        }
        if (Peek("\xEF\xBB\xBF")) pos_ += 3;
        if (!Misc()) return false;
        if (!Peek("<") || pos_ + 1 >= doc_.size() || !IsNameStart(doc_[pos_ + 1]))
            return Fail("no root element");
        if (!Element(root, 1) || !Misc()) return false;
        return pos_ == doc_.size() || Fail("content after the root element");
    }

    std::string Error() const {
        size_t line = 1 + static_cast<size_t>(std::count(doc_.begin(), doc_.begin() + std::min(pos_, doc_.size()), '\n'));
        return error_ + " (line " + std::to_string(line) + ")";
    }

private:
    bool Fail(const char* what) {
        error_ = what;
        return false;
    }
    bool Peek(std::string_view s) const { return doc_.compare(pos_, s.size(), s) == 0; }
    bool AtEnd() const { return pos_ >= doc_.size(); }
    void SkipBlanks() {
        while (!AtEnd() && IsBlank(doc_[pos_])) ++pos_;
    }

    // Blanks, comments and processing instructions before or after the root.
    bool Misc() {
        for (;;) {
            SkipBlanks();
            if (Peek("<!--")) {
                if (!Comment()) return false;
            } else if (Peek("<?")) {
                if (!Instruction()) return false;
            } else if (Peek("<!")) {
                return Fail("document type declarations are not accepted");
            } else {
                return true;
            }
        }
    }

    // Moves past the terminator found from pos_ on.
    bool SkipPast(std::string_view terminator, const char* unclosed) {
        size_t end = doc_.find(terminator, pos_);
        if (end == std::string_view::npos) return Fail(unclosed);
        pos_ = end + terminator.size();
        return true;
    }

    bool Comment() {
        pos_ += 4;
        return SkipPast("-->", "comment not closed");
    }

    bool Instruction() {
        pos_ += 2;
        if (AtEnd() || !IsNameStart(doc_[pos_])) return Fail("processing instruction without a target");
        return SkipPast("?>", "processing instruction not closed");
    }

    bool Name(std::string& out) {
        size_t start = pos_;
        if (AtEnd() || !IsNameStart(doc_[pos_])) return Fail("name expected");
        while (!AtEnd() && IsNameChar(doc_[pos_])) ++pos_;
        out.assign(doc_.substr(start, pos_ - start));
        return true;
    }

    // Copies text with every line end (CR LF or a lone CR) turned into LF.
    void AppendText(std::string_view text, std::string& out) {
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] != '\r') {
                out += text[i];
            } else {
                out += '\n';
                if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            }
        }
    }

    // At "&": a named entity or a character reference.
    bool Reference(std::string& out) {
        size_t semi = doc_.find(';', pos_);
        if (semi == std::string_view::npos || semi - pos_ > 12) return Fail("'&' is not a reference");
        std::string_view ref = doc_.substr(pos_ + 1, semi - pos_ - 1);
        static constexpr std::pair<std::string_view, char> kNamed[] = {
            {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
        for (const auto& [name, c] : kNamed) {
            if (ref == name) {
                out += c;
                pos_ = semi + 1;
                return true;
            }
        }
        if (ref.size() < 2 || ref[0] != '#') return Fail("unknown entity");
        bool hex = ref[1] == 'x';
        std::string_view digits = ref.substr(hex ? 2 : 1);
        uint32_t cp = 0;
        // At most 8 digits keeps the value within 32 bits.
        if (digits.empty() || digits.size() > 8) return Fail("bad character reference");
        for (char d : digits) {
            uint32_t v;
            if (d >= '0' && d <= '9') v = static_cast<uint32_t>(d - '0');
            else if (hex && d >= 'a' && d <= 'f') v = static_cast<uint32_t>(d - 'a' + 10);
            else if (hex && d >= 'A' && d <= 'F') v = static_cast<uint32_t>(d - 'A' + 10);
            else return Fail("bad character reference");
            cp = cp * (hex ? 16 : 10) + v;
        }
        if (!IsXmlChar(cp)) return Fail("character reference to a forbidden character");
        AppendUtf8(cp, out);
        pos_ = semi + 1;
        return true;
    }

    bool AttributeValue(std::string& out) {
        if (AtEnd() || (doc_[pos_] != '"' && doc_[pos_] != '\'')) return Fail("quoted attribute value expected");
        char quote = doc_[pos_++];
        for (;;) {
            if (AtEnd()) return Fail("attribute value not closed");
            char c = doc_[pos_];
            if (c == quote) {
                ++pos_;
                return true;
            }
            if (c == '<') return Fail("'<' in an attribute value");
            if (c == '&') {
                if (!Reference(out)) return false;
                continue;
            }
            // Line ends and tabs in a value read as blanks; CR LF as one.
            if (c == '\r' && pos_ + 1 < doc_.size() && doc_[pos_ + 1] == '\n') ++pos_;
            out += IsBlank(c) ? ' ' : c;
            ++pos_;
        }
    }

    bool StartTag(XmlElement& e, bool& empty) {
        ++pos_;  // "<"
        if (!Name(e.name)) return false;
        for (;;) {
            size_t before = pos_;
            SkipBlanks();
            if (Peek("/>")) {
                pos_ += 2;
                empty = true;
                return true;
            }
            if (Peek(">")) {
                ++pos_;
                empty = false;
                return true;
            }
            if (AtEnd()) return Fail("start tag not closed");
            if (pos_ == before) return Fail("blank expected before an attribute");
            std::string key, value;
            if (!Name(key)) return false;
            SkipBlanks();
            if (!Peek("=")) return Fail("'=' expected after an attribute name");
            ++pos_;
            SkipBlanks();
            if (!AttributeValue(value)) return false;
            if (e.Attribute(key)) return Fail("attribute given twice");
            e.attributes.emplace_back(std::move(key), std::move(value));
        }
    }

    bool Element(XmlElement& e, int depth) {
        bool empty = false;
        if (!StartTag(e, empty)) return false;
        if (empty) return true;
        for (;;) {
            if (AtEnd()) return Fail("element not closed");
            if (Peek("</")) {
                pos_ += 2;
                std::string end;
                if (!Name(end)) return false;
                if (end != e.name) return Fail("end tag does not match the start tag");
                SkipBlanks();
                if (!Peek(">")) return Fail("end tag not closed");
                ++pos_;
                return true;
            }
            if (Peek("<!--")) {
                if (!Comment()) return false;
            } else if (Peek("<![CDATA[")) {
                pos_ += 9;
                size_t start = pos_;
                if (!SkipPast("]]>", "CDATA section not closed")) return false;
                AppendText(doc_.substr(start, pos_ - 3 - start), e.text);
            } else if (Peek("<?")) {
                if (!Instruction()) return false;
            } else if (Peek("<")) {
                if (pos_ + 1 >= doc_.size() || !IsNameStart(doc_[pos_ + 1])) return Fail("unexpected '<'");
                if (depth >= kMaxDepth) return Fail("elements nested too deeply");
                e.children.emplace_back();
                if (!Element(e.children.back(), depth + 1)) return false;
            } else if (Peek("&")) {
                if (!Reference(e.text)) return false;
            } else if (Peek("]]>")) {
                return Fail("']]>' in character data");
            } else {
                size_t stop = doc_.find_first_of("<&]", pos_ + 1);
                if (stop == std::string_view::npos) stop = doc_.size();
                AppendText(doc_.substr(pos_, stop - pos_), e.text);
                pos_ = stop;
            }
        }
    }

    std::string_view doc_;
    size_t pos_ = 0;
    std::string error_;
};

}  // namespace

bool ParseXml(const uint8_t* data, size_t size, XmlElement& root, std::string* why) {
    root = XmlElement();
    if (size > kMaxDocumentSize || (!data && size != 0)) {
        if (why) *why = "document too large or missing";
        return false;
    }
    Reader reader(std::string_view(reinterpret_cast<const char*>(data), size));
    if (reader.Document(root)) return true;
    if (why) *why = reader.Error();
    return false;
}

}  // namespace qmxsim
