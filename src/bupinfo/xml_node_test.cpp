#include "bupinfo/xml_node.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kBadFormat = 11;
constexpr uint32_t kInvalidParameter = 87;
constexpr uint32_t kInsufficientBuffer = 122;
constexpr uint32_t kNotFound = 1168;
constexpr uint32_t kInvalidUserBuffer = 1784;

struct ParseRun {
    uint32_t ulRet;
    size_t nLeft;  // bytes not consumed
    int nLine;
    int nCol;
};

// Parses an exact-size heap copy without a terminator: a read past the length trips ASan.
ParseRun ParseText(CXmlNode& node, const std::string& text) {
    std::unique_ptr<char[]> copy(new char[text.size()]);
    std::memcpy(copy.get(), text.data(), text.size());
    const char* p = copy.get();
    ParseRun run{0, text.size(), 5, 5};
    run.ulRet = node.Parse(p, run.nLeft, &run.nLine, &run.nCol);
    return run;
}

std::string Content(const CXmlNode& node) {
    CString cs;
    node.ContentGet(cs);
    return cs.str();
}

std::string Name(const CXmlNode& node) {
    CString cs;
    node.NameGet(cs);
    return cs.str();
}

std::string Save(const CXmlNode& node, int nIndent = 0) {
    std::vector<char> buf(node.LengthGet(nIndent, true));
    uint32_t ulLen = 0;
    EXPECT_EQ(node.BufferSaveTo(true, buf.data(), static_cast<uint32_t>(buf.size()), &ulLen, nIndent), 0u);
    return std::string(buf.data(), ulLen);
}

// Every node with a parent link must be held by that parent.
void ExpectLinksHeld(const CXmlNode& node) {
    for (const CXmlNode& child : node.ChildrenGet()) {
        if (child.ParentGet()) {
            EXPECT_EQ(child.ParentGet(), &node) << Name(child);
        }
        ExpectLinksHeld(child);
    }
}

TEST(XmlNodeParse, ElementsContentAndAttributes) {
    CXmlNode root;
    const ParseRun run = ParseText(root,
                                   "junk <bupinfo2 v=\"2\" a =\"<&amp;\r\n>\" v=\"3\"><packtype>BIOS</packtype>\t<e/>"
                                   "<!-- - -- x --><f>  one\r\n\ttwo<!---->!</f> tail</bupinfo2>after");
    ASSERT_EQ(run.ulRet, 0u);
    EXPECT_EQ(run.nLeft, std::strlen(">after"));  // left on the final ">"
    EXPECT_EQ(Name(root), "bupinfo2");
    EXPECT_EQ(Content(root), "");  // text beside children is not kept
    CXmlNode::AttributeMap attrs;
    root.AttributesGet(attrs);
    EXPECT_EQ(attrs, (CXmlNode::AttributeMap{{"a", "<&amp;>"}, {"v", "2"}}));
    ASSERT_EQ(root.ChildrenGet().size(), 3u);
    EXPECT_EQ(Content(root.ChildrenGet()[0]), "BIOS");
    EXPECT_EQ(Content(root.ChildrenGet()[2]), "  one\ttwo!");
    EXPECT_EQ(root.ChildrenGet()[0].ParentGet(), nullptr);  // the parser sets no links
}

TEST(XmlNodeParse, TruncatedInputKeepsWhatWasReadErrorsStopWithPosition) {
    CXmlNode node;
    EXPECT_EQ(ParseText(node, "  <bupinfo2 v=\"1\">").ulRet, 0u);
    EXPECT_EQ(Name(node), "bupinfo2");
    // Input ending inside a child, and right after one.
    EXPECT_EQ(ParseText(node, "<r><a>1</a><b").ulRet, 0u);
    EXPECT_EQ(node.ChildrenGet().size(), 2u);
    EXPECT_EQ(ParseText(node, "<r><a/>").ulRet, 0u);
    EXPECT_EQ(node.ChildrenGet().size(), 1u);

    ParseRun run = ParseText(node, "<r>\n <a>1</a>\n <b>2</c></r>");
    EXPECT_EQ(run.ulRet, kBadFormat);
    EXPECT_EQ(Name(node), "r");
    ASSERT_EQ(node.ChildrenGet().size(), 1u);  // the failed child is not appended
    EXPECT_EQ(run.nLeft, std::strlen("></r>"));
    EXPECT_EQ(run.nLine, 7);
    EXPECT_EQ(run.nCol, 9);
    run = ParseText(node, "<x>");
    EXPECT_TRUE(node.ChildrenGet().empty());  // a new parse starts from scratch
    EXPECT_EQ(run.nCol, 5 + 3);
}

TEST(XmlNodeParse, NestingDepthIsCapped) {
    std::string ok;
    for (unsigned int i = 0; i < CXmlNode::kMaxParseDepth; ++i)
        ok += "<n>";
    CXmlNode node;
    EXPECT_EQ(ParseText(node, ok).ulRet, 0u);
    const CXmlNode copy(node);
    EXPECT_EQ(Save(copy), Save(node));
    EXPECT_EQ(ParseText(node, ok + "<n>").ulRet, kBadFormat);
    EXPECT_TRUE(node.ChildrenGet().empty());  // each failed level drops its child
}

TEST(XmlNodeFind, PathsIndexesAndWildcard) {
    CXmlNode root;
    ASSERT_EQ(ParseText(root, "<r><a><x>1</x><y>2</y></a><b/><a><x>3</x></a><x>4</x></r>").ulRet, 0u);
    CXmlNode* p = nullptr;
    ASSERT_EQ(root.NodeFind("\\a\\\\y", &p, 0), 0u);  // empty components ignored
    EXPECT_EQ(Content(*p), "2");
    ASSERT_EQ(root.NodeFind("a\\x", &p, 0), 0u);  // inner components take the first match
    EXPECT_EQ(Content(*p), "1");
    ASSERT_EQ(root.NodeFind("*", &p, 2), 0u);
    EXPECT_EQ(p, &root.ChildrenGet()[2]);
    ASSERT_EQ(root.NodeFind("\\", &p, 7), 0u);
    EXPECT_EQ(p, &root);

    CXmlNode* pUnchanged = &root;
    EXPECT_EQ(root.NodeFind("*", &pUnchanged, 4), kNotFound);
    EXPECT_EQ(root.NodeFind("a\\x", &pUnchanged, 1), kNotFound);
    EXPECT_EQ(root.NodeFind("*\\x", &pUnchanged, 0), kNotFound);  // "*" is no wildcard inside
    EXPECT_EQ(pUnchanged, &root);
    EXPECT_EQ(root.NodeFind(nullptr, &p, 0), kInvalidParameter);
}

TEST(XmlNodeWrite, LayoutRoundTripAndBufferLimits) {
    CXmlNode root(nullptr, "root", nullptr, nullptr);
    const CXmlNode::AttributeMap attrs{{"x", "1"}, {"a", "2"}};
    root.NodeAdd("child", "text", &attrs);
    root.NodeAdd("empty", nullptr, nullptr);
    const std::string text = Save(root);
    EXPECT_EQ(text,
              "<root>\r\n"
              "   <child a=\"2\" x=\"1\">text</child>\r\n"
              "   <empty></empty>\r\n"
              "</root>\r\n");
    EXPECT_EQ(root.LengthGet(0, true), text.size());
    CXmlNode back;
    ASSERT_EQ(ParseText(back, text).ulRet, 0u);
    EXPECT_EQ(Save(back), text);

    char sz[64];
    uint32_t ulLen = 0;
    ASSERT_EQ(root.BufferSaveTo(false, sz, sizeof sz, &ulLen, 2), 0u);
    EXPECT_EQ(std::string(sz, ulLen), "  <root></root>\r\n");
    EXPECT_EQ(root.BufferSaveTo(true, nullptr, 1, &ulLen, 0), kInvalidUserBuffer);
    EXPECT_EQ(root.BufferSaveTo(true, nullptr, 0, &ulLen, 0), 0u);
    EXPECT_EQ(ulLen, 0u);

    // Content beside children is counted but not written; a short buffer is filled, no further.
    CXmlNode node(nullptr, "n", "content", nullptr);
    node.NodeAdd("c", "v", nullptr);
    const std::string indented = Save(node, 4);
    EXPECT_EQ(node.LengthGet(4, true), indented.size() + std::strlen("content"));
    const uint32_t ulShort = static_cast<uint32_t>(indented.size() - 1);
    std::unique_ptr<char[]> small(new char[ulShort]);
    EXPECT_EQ(node.BufferSaveTo(true, small.get(), ulShort, &ulLen, 4), kInsufficientBuffer);
    EXPECT_EQ(ulLen, ulShort);
}

TEST(XmlNodeCopyOut, NameIntoBuffers) {
    const CXmlNode node(nullptr, "name", "", nullptr);
    char buf[8] = "zzzzzzz";
    unsigned int uLen = 0;
    EXPECT_EQ(node.NameGet(nullptr, 3, &uLen), kInvalidParameter);
    EXPECT_EQ(node.NameGet(nullptr, 0, &uLen), kInsufficientBuffer);
    EXPECT_EQ(uLen, 4u);
    EXPECT_EQ(node.NameGet(buf, 4, &uLen), kInsufficientBuffer);  // no room for the NUL
    EXPECT_EQ(buf[0], 'z');
    EXPECT_EQ(node.NameGet(buf, 5, nullptr), 0u);
    EXPECT_STREQ(buf, "name");
    EXPECT_EQ(node.ContentGet(nullptr, 0, &uLen), 0u);  // empty text: the query succeeds
}

TEST(XmlNodeBinary, HexContentBothWays) {
    CXmlNode node;
    const uint8_t bytes[] = {0x01, 0xAB};
    ASSERT_EQ(node.ContentSetAsBin(bytes, 2), 0u);
    EXPECT_EQ(Content(node), "01 ab");
    uint8_t out[2] = {};
    unsigned int uLen = 0;
    ASSERT_EQ(node.ContentGetAsBin(out, 2, &uLen), 0u);
    EXPECT_EQ(uLen, 2u);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 2), std::vector<uint8_t>(bytes, bytes + 2));

    // Pairs of either case anywhere; lone digits and other characters are skipped.
    node.ContentSet("0A:z-Ff 1 c3d");
    EXPECT_EQ(node.ContentGetAsBin(out, 1, &uLen), kInvalidParameter);  // counted beyond the size
    EXPECT_EQ(uLen, 3u);
    EXPECT_EQ(out[0], 0x0A);

    // Our choice: a count of 0 stores the empty block rather than keeping the old text.
    ASSERT_EQ(node.ContentSetAsBin(bytes, 0), 0u);
    EXPECT_EQ(Content(node), "");
}

TEST(XmlNodeTree, ParentLinksFollowGrowthCopyAndRemoval) {
    CXmlNode root(nullptr, "root", nullptr, nullptr);
    for (unsigned int i = 0; i < 300; ++i) {
        root.NodeAdd(i % 2 ? "odd" : "even", nullptr, nullptr);
        CXmlNode* pLast = nullptr;
        ASSERT_EQ(root.NodeFind("*", &pLast, i), 0u);
        pLast->NodeAdd("leaf", nullptr, nullptr);
    }
    EXPECT_EQ(root.ChildrenGet().front().ParentGet(), &root);
    ExpectLinksHeld(root);

    CXmlNode copy(root);
    EXPECT_EQ(copy.ChildrenGet()[0].ParentGet(), &copy);
    ExpectLinksHeld(copy);
    CXmlNode assigned;
    assigned = copy;
    CXmlNode moved(std::move(assigned));
    ExpectLinksHeld(moved);

    // Removal shifts the later children down; their links and their children's stay right.
    EXPECT_EQ(moved.NodeRemove("odd", 0), 0u);
    EXPECT_EQ(moved.NodeRemove("even", 500), kNotFound);
    EXPECT_EQ(moved.NodeRemove(nullptr, 0), kInvalidParameter);
    EXPECT_EQ(Name(moved.ChildrenGet()[1]), "even");
    ExpectLinksHeld(moved);
    CXmlNode leafless(nullptr, "leaf", nullptr, nullptr);
    EXPECT_EQ(leafless.NodeRemove("leaf", 0), kNotFound);

    // Assigning a node its own descendant.
    moved = moved.ChildrenGet()[5];
    EXPECT_EQ(Name(moved), "even");
    EXPECT_EQ(moved.ChildrenGet()[0].ParentGet(), &moved);
}

}  // namespace
