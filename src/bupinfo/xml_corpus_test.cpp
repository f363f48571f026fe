// Every document in tests/corpus/xml is malformed and must be refused with 11,
// without a crash and without reading past its end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "bupinfo/xml_node.h"

namespace {

namespace fs = std::filesystem;

fs::path CorpusDir() { return fs::path(__FILE__).parent_path() / ".." / ".." / "tests" / "corpus" / "xml"; }

std::vector<std::string> CorpusFiles() {
    std::vector<std::string> names;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(CorpusDir(), ec))
        if (entry.is_regular_file())
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class XmlCorpusFile : public testing::TestWithParam<std::string> {};

TEST_P(XmlCorpusFile, RefusedAsBadFormat) {
    std::ifstream in(CorpusDir() / GetParam(), std::ios::binary);
    ASSERT_TRUE(in) << GetParam();
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // An exact-size copy without a terminator: a read past the end trips ASan.
    std::unique_ptr<char[]> copy(new char[text.size()]);
    std::copy(text.begin(), text.end(), copy.get());
    const char* p = copy.get();
    size_t n = text.size();
    CXmlNode node;
    EXPECT_EQ(node.Parse(p, n, nullptr, nullptr), 11u);
    EXPECT_GE(p, copy.get());
    EXPECT_LT(p, copy.get() + text.size());  // left on the offending byte
}

INSTANTIATE_TEST_SUITE_P(XmlCorpus, XmlCorpusFile, testing::ValuesIn(CorpusFiles()),
                         [](const testing::TestParamInfo<std::string>& param) {
                             std::string name = fs::path(param.param).stem().string();
                             std::replace_if(
                                 name.begin(), name.end(),
                                 [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
                             return name;
                         });

TEST(XmlCorpusDir, HoldsTheDocuments) { EXPECT_GE(CorpusFiles().size(), 20u); }

}  // namespace
