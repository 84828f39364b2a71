// chm_contexts_test.cpp
// Reads the built help.chm through Windows' own archive reader (the
// InfoTech storage of itss.dll, which HTML Help itself uses) and checks
// that every context number the program opens leads to its page, stored
// exactly as written, and that the file opens on the contents page.
//
// usage: help_chm_test [gtest options] HELP.chm SOURCE-DIR
#include <windows.h>
#include <initguid.h>
#include <wine/itss.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>

#include "common/com/ptr.h"

namespace {

std::wstring g_chmPath;
std::string g_sourceDir;

// The numbers the program passes to HH_HELP_CONTEXT, and what each opens.
struct ContextPage {
    DWORD context;
    const char* page;
};
constexpr ContextPage kContextPages[] = {
    {1001, "verse_file_format.htm"}, {1002, "adding_verses.htm"},
    {1003, "program_updates.htm"},   {1004, "contact_us.htm"},
    {1005, "user_agreement.htm"},    {1008, "program_options.htm"},
    {1009, "our_purpose.htm"},       {1010, "contents.htm"},
    {1014, "scheduling.htm"},        {1015, "getting_started.htm"},
};

std::wstring widen(const std::string& s) {
    return std::wstring(s.begin(), s.end());   // archive names are ASCII
}

std::optional<std::string> readSourceFile(const std::string& name) {
    std::ifstream in(g_sourceDir + "\\" + name, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::uint32_t dword(const std::string& s, size_t at) {
    std::uint32_t v = 0;
    std::memcpy(&v, s.data() + at, sizeof v);
    return v;
}

class HelpFile : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        com::ComPtr<IITStorage> its;
        HRESULT hr = CoCreateInstance(CLSID_ITStorage, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IITStorage, its.putVoid());
        if (FAILED(hr)) return;
        its->StgOpenStorage(g_chmPath.c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE,
                            nullptr, 0, s_storage.put());
    }
    static void TearDownTestSuite() { s_storage.reset(); }

    void SetUp() override {
        ASSERT_TRUE(s_storage) << "the archive reader cannot open the help file";
    }

    // The whole stream `name` (an archive path such as "/contents.htm").
    static std::optional<std::string> read(const std::string& name) {
        com::ComPtr<IStream> stream;
        if (FAILED(s_storage->OpenStream(widen(name).c_str(), nullptr, STGM_READ, 0,
                                         stream.put())))
            return std::nullopt;
        std::string data;
        char buf[4096];
        ULONG got = 0;
        while (SUCCEEDED(stream->Read(buf, sizeof buf, &got)) && got > 0) data.append(buf, got);
        return data;
    }

    // {context: string} from #IVB and #STRINGS, as HTML Help resolves them.
    static std::map<DWORD, std::string> contextMap() {
        std::map<DWORD, std::string> result;
        auto ivb = read("/#IVB");
        auto strings = read("/#STRINGS");
        if (!ivb || !strings || ivb->size() < 4) return result;
        size_t size = dword(*ivb, 0);
        for (size_t at = 4; at + 8 <= ivb->size() && at + 8 <= size + 4; at += 8) {
            size_t offset = dword(*ivb, at + 4);
            if (offset >= strings->size()) continue;
            result[dword(*ivb, at)] = strings->c_str() + offset;
        }
        return result;
    }

    static inline com::ComPtr<IStorage> s_storage;
};

std::string archivePath(const std::string& contextString) {
    return contextString.starts_with("/") ? contextString : "/" + contextString;
}

TEST_F(HelpFile, EveryContextOfTheProgramOpensItsPageAsWritten) {
    auto map = contextMap();
    for (const auto& [context, page] : kContextPages) {
        SCOPED_TRACE(context);
        auto found = map.find(context);
        ASSERT_NE(found, map.end()) << "context missing from the map";
        EXPECT_EQ(archivePath(found->second), std::string("/") + page);
        auto stored = read(archivePath(found->second));
        ASSERT_TRUE(stored) << found->second << " is not in the archive";
        auto source = readSourceFile(page);
        ASSERT_TRUE(source) << "no source for " << page;
        EXPECT_EQ(*stored, *source);
    }
}

TEST_F(HelpFile, NoContextNamesAMissingPage) {
    auto map = contextMap();
    ASSERT_FALSE(map.empty());
    for (const auto& [context, target] : map) {
        EXPECT_TRUE(read(archivePath(target))) << context << " -> " << target;
    }
}

// #SYSTEM holds (code, length, data) records; code 2 is the default topic.
TEST_F(HelpFile, OpensOnTheContentsPageWithContentsAndIndex) {
    auto system = read("/#SYSTEM");
    ASSERT_TRUE(system);
    std::optional<std::string> defaultTopic;
    for (size_t at = 4; at + 4 <= system->size();) {
        unsigned code = static_cast<unsigned char>((*system)[at]) |
                        static_cast<unsigned char>((*system)[at + 1]) << 8;
        size_t length = static_cast<unsigned char>((*system)[at + 2]) |
                        static_cast<unsigned char>((*system)[at + 3]) << 8;
        if (at + 4 + length > system->size()) break;
        if (code == 2) defaultTopic = std::string(system->c_str() + at + 4);
        at += 4 + length;
    }
    EXPECT_EQ(defaultTopic, std::optional<std::string>("contents.htm"));
    EXPECT_TRUE(read("/help.hhc"));
    EXPECT_TRUE(read("/help.hhk"));
    EXPECT_TRUE(read("/style.css"));
}

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: help_chm_test [gtest options] HELP.chm SOURCE-DIR\n");
        return 2;
    }
    int wide = MultiByteToWideChar(CP_ACP, 0, argv[1], -1, nullptr, 0);
    g_chmPath.resize(wide > 0 ? wide - 1 : 0);
    MultiByteToWideChar(CP_ACP, 0, argv[1], -1, g_chmPath.data(), wide);
    g_sourceDir = argv[2];
    if (FAILED(CoInitialize(nullptr))) return 2;
    int result = RUN_ALL_TESTS();
    CoUninitialize();
    return result;
}
