// search_order_test.cpp
// Where a listed file is looked for, and in which order.
#include "search_order.h"

#include <gtest/gtest.h>

using namespace orvanescan;

namespace {

SearchFolders folders() {
    SearchFolders f;
    f.program = "C:\\Prog";
    f.system = "C:\\Windows\\System32";
    f.windows = "C:\\Windows";
    f.searchPath = "C:\\Tools; \"C:\\Quoted Dir\" ;;c:\\prog\\;C:\\Windows";
    f.otherPaths = {"D:\\User"};
    return f;
}

std::vector<std::string> paths(const std::vector<Candidate>& cs) {
    std::vector<std::string> out;
    for (const Candidate& c : cs) out.push_back(c.path);
    return out;
}

} // namespace

TEST(FolderLists, SplitTrimAndUnquote) {
    EXPECT_EQ(SplitFolderList(" a ;\"b c\";;\t\"\" ; d\\"), (std::vector<std::string>{"a", "b c", "d\\"}));
    EXPECT_TRUE(SplitFolderList("").empty());
    EXPECT_TRUE(SplitFolderList(";;").empty());
}

TEST(Paths, AbsoluteJoinSameAndName) {
    EXPECT_TRUE(IsAbsolutePath("C:\\x.dll"));
    EXPECT_TRUE(IsAbsolutePath("c:/x.dll"));
    EXPECT_TRUE(IsAbsolutePath("\\\\server\\share\\x.dll"));
    EXPECT_FALSE(IsAbsolutePath("C:x.dll"));
    EXPECT_FALSE(IsAbsolutePath("sub\\x.dll"));
    EXPECT_EQ(JoinPath("C:\\", "x.dll"), "C:\\x.dll");
    EXPECT_EQ(JoinPath("C:\\a", "\\x.dll"), "C:\\a\\x.dll");
    EXPECT_EQ(JoinPath("C:/a/", "sub\\x.dll"), "C:/a/sub\\x.dll");
    EXPECT_TRUE(SamePath("C:\\Prog\\", "c:/prog"));
    EXPECT_TRUE(SamePath("C:\\", "c:\\"));
    EXPECT_FALSE(SamePath("C:\\", "C:"));
    EXPECT_FALSE(SamePath("C:\\Prog1", "C:\\Prog"));
    EXPECT_EQ(FileNamePart("C:\\a\\b.dll"), "b.dll");
    EXPECT_EQ(FileNamePart("b.dll"), "b.dll");
}

TEST(Candidates, FollowTheLoaderOrderWithoutRepeats) {
    Reference ref;
    ref.name = "x.dll";
    ref.pathBits = path_bits::kAll;
    ref.otherPaths = "E:\\Own;C:\\Tools";
    const auto cs = CandidatePaths(ref, folders());
    EXPECT_EQ(paths(cs), (std::vector<std::string>{"C:\\Prog\\x.dll", "C:\\Windows\\System32\\x.dll",
                                                   "C:\\Windows\\x.dll", "C:\\Tools\\x.dll",
                                                   "C:\\Quoted Dir\\x.dll", "E:\\Own\\x.dll", "D:\\User\\x.dll"}));
    const std::vector<uint32_t> sources = {1, 2, 4, 8, 8, 16, 16};
    for (size_t i = 0; i < cs.size(); ++i) EXPECT_EQ(cs[i].source, sources[i]) << i;
}

TEST(Candidates, OnlyTheFoldersTheBitsName) {
    Reference ref;
    ref.name = "sub\\x.dll";
    ref.pathBits = path_bits::kSystemFolder | path_bits::kOtherPaths;
    EXPECT_EQ(paths(CandidatePaths(ref, folders())),
              (std::vector<std::string>{"C:\\Windows\\System32\\sub\\x.dll", "D:\\User\\sub\\x.dll"}));
    ref.pathBits = path_bits::kDefault;
    EXPECT_EQ(paths(CandidatePaths(ref, folders())).front(), "C:\\Prog\\sub\\x.dll");
    EXPECT_EQ(CandidatePaths(ref, folders()).size(), 4u);
}

TEST(Candidates, PathDependentAbsoluteAndEmpty) {
    Reference ref;
    ref.name = "x.dll";
    ref.pathBits = path_bits::kSystemFolder | path_bits::kWindowsFolder;
    ref.pathDependent = true;
    EXPECT_EQ(paths(CandidatePaths(ref, folders())), (std::vector<std::string>{"C:\\Windows\\System32\\x.dll"}));

    ref.name = "D:\\Fixed\\x.dll";
    const auto cs = CandidatePaths(ref, folders());
    ASSERT_EQ(cs.size(), 1u);
    EXPECT_EQ(cs[0].path, "D:\\Fixed\\x.dll");
    EXPECT_EQ(cs[0].source, 0u);

    ref.name = "";
    EXPECT_TRUE(CandidatePaths(ref, folders()).empty());

    SearchFolders none;
    ref.name = "x.dll";
    EXPECT_TRUE(CandidatePaths(ref, none).empty());
}
