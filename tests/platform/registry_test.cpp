#include "platform/os/registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <random>
#include <string>
#include <vector>

#include "platform/os/device_fs.h"
#include "tests/platform/temp_device.h"

namespace {

using plat::DeviceFs;
using plat::Registry;

const std::string kPath = "\\Windows\\registry.reg";
const std::string kMain = "Software\\Tarrowby Systems Inc.\\velloran\\MainSection";

std::string FileText() {
    std::string bytes;
    DeviceFs::ReadAll(kPath, &bytes);
    return bytes;
}

void WriteFile(const std::string& bytes) {
    ASSERT_TRUE(DeviceFs::CreateFolders("\\Windows"));
    ASSERT_TRUE(DeviceFs::WriteAtomic(kPath, bytes));
}

class RegistryTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(reg_.Load(kPath)); }
    // A second registry reading the file the first one wrote.
    void Reload(Registry* other) { ASSERT_TRUE(other->Load(kPath)); }

    plat_test::TempDevice device_;
    Registry reg_;
};

TEST_F(RegistryTest, MissingFileIsAnEmptyRegistryAndWritesCreateIt) {
    EXPECT_FALSE(reg_.KeyExists(kMain));
    uint32_t v = 7;
    EXPECT_FALSE(reg_.GetDword(kMain, "Orientation", &v));
    EXPECT_EQ(v, 7u);
    EXPECT_FALSE(DeviceFs::Exists(kPath));

    ASSERT_TRUE(reg_.CreateKey(kMain));
    EXPECT_TRUE(reg_.KeyExists(kMain));
    EXPECT_TRUE(reg_.KeyExists("Software\\Tarrowby Systems Inc."));
    EXPECT_FALSE(reg_.KeyExists("Software\\Tarrowby"));  // a prefix, not a parent
    EXPECT_EQ(FileText(),
              "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Tarrowby Systems Inc.\\velloran\\"
              "MainSection]\n");
}

TEST_F(RegistryTest, RoundTripsDwordsAndStringsThroughTheFile) {
    std::string longText;
    for (int i = 0; i < 300; ++i) {
        longText += static_cast<char>('a' + i % 26);
    }
    const std::string tricky = "\\My Documents\\\"quoted\" \xC3\xA9t\xC3\xA9 \xE2\x82\xAC\\";
    ASSERT_TRUE(reg_.SetDword(kMain, "Orientation", 10));
    ASSERT_TRUE(reg_.SetDword(kMain, "ShadowColor", 0xFFFFFFFFu));
    ASSERT_TRUE(reg_.SetString(kMain, "WorkDirectory", tricky));
    ASSERT_TRUE(reg_.SetString(kMain, "Long", longText));
    ASSERT_TRUE(reg_.SetString(kMain, "Lines", "one\ntwo\r\n"));
    ASSERT_TRUE(reg_.SetString(kMain, "Empty", ""));

    const std::string text = FileText();
    EXPECT_NE(text.find("\"Orientation\"=dword:0000000a\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\"WorkDirectory\"=\"\\\\My Documents\\\\\\\"quoted\\\""),
              std::string::npos)
        << text;

    Registry other;
    Reload(&other);
    uint32_t v = 0;
    std::string s;
    ASSERT_TRUE(other.GetDword(kMain, "Orientation", &v));
    EXPECT_EQ(v, 10u);
    ASSERT_TRUE(other.GetDword(kMain, "ShadowColor", &v));
    EXPECT_EQ(v, 0xFFFFFFFFu);
    ASSERT_TRUE(other.GetString(kMain, "WorkDirectory", &s));
    EXPECT_EQ(s, tricky);
    ASSERT_TRUE(other.GetString(kMain, "Long", &s));
    EXPECT_EQ(s, longText);
    ASSERT_TRUE(other.GetString(kMain, "Lines", &s));
    EXPECT_EQ(s, "one\ntwo\r\n");
    ASSERT_TRUE(other.GetString(kMain, "Empty", &s));
    EXPECT_EQ(s, "");
    EXPECT_EQ(other.Serialize(), text);
}

TEST_F(RegistryTest, ValuesKeepInsertionOrderAcrossRewritesAndReloads) {
    const std::vector<std::string> order = {"WorkDirectory",   "HomeDirectory", "Orientation",
                                            "ThumbnailLayout", "ShowFileName",  "ThumbMaxView",
                                            "OptimizedMemory"};
    for (const std::string& name : order) {
        ASSERT_TRUE(reg_.SetDword(kMain, name, 1));
    }
    // Rewriting earlier values, even with the other type, keeps their places.
    ASSERT_TRUE(reg_.SetString(kMain, "WorkDirectory", "\\Samples"));
    ASSERT_TRUE(reg_.SetDword(kMain, "Orientation", 2));
    EXPECT_EQ(reg_.ValueNames(kMain), order);

    Registry other;
    Reload(&other);
    EXPECT_EQ(other.ValueNames(kMain), order);
    const std::string text = FileText();
    size_t last = 0;
    for (const std::string& name : order) {
        const size_t at = text.find("\"" + name + "\"=");
        ASSERT_NE(at, std::string::npos) << name;
        EXPECT_GT(at, last) << name;
        last = at;
    }
}

TEST_F(RegistryTest, NamesAndKeysCompareWithoutCaseButKeepTheirFirstSpelling) {
    ASSERT_TRUE(reg_.SetDword(kMain, "ThumbMaxView", 1));
    ASSERT_TRUE(reg_.SetDword("SOFTWARE\\tarrowby systems inc.\\VELLORAN\\mainsection\\",
                              "THUMBMAXVIEW", 0));
    uint32_t v = 9;
    ASSERT_TRUE(reg_.GetDword(kMain, "thumbmaxview", &v));
    EXPECT_EQ(v, 0u);
    EXPECT_EQ(reg_.ValueNames(kMain), std::vector<std::string>{"ThumbMaxView"});
    EXPECT_NE(FileText().find("[HKEY_CURRENT_USER\\" + kMain + "]\n\"ThumbMaxView\"=dword:0"),
              std::string::npos);

    // Non-ASCII letters fold too.
    ASSERT_TRUE(reg_.SetString(kMain, "\xCE\x91\xCE\xB2", "x"));  // "Αβ"
    std::string s;
    EXPECT_TRUE(reg_.GetString(kMain, "\xCE\xB1\xCE\x92", &s));  // "αΒ"
}

TEST_F(RegistryTest, TypesDoNotMixAndDeleteRemovesFromTheFile) {
    ASSERT_TRUE(reg_.SetString(kMain, "HomeDirectory", "\\Samples"));
    ASSERT_TRUE(reg_.SetDword(kMain, "Orientation", 1));
    uint32_t v = 0;
    std::string s;
    EXPECT_FALSE(reg_.GetDword(kMain, "HomeDirectory", &v));
    EXPECT_FALSE(reg_.GetString(kMain, "Orientation", &s));

    EXPECT_FALSE(reg_.DeleteValue(kMain, "Missing"));
    EXPECT_FALSE(reg_.DeleteValue("Software\\Nowhere", "Orientation"));
    ASSERT_TRUE(reg_.DeleteValue(kMain, "homedirectory"));
    EXPECT_EQ(FileText().find("HomeDirectory"), std::string::npos);
    EXPECT_TRUE(reg_.KeyExists(kMain));  // the key stays

    EXPECT_FALSE(reg_.SetDword("Software\\\\X", "A", 1));  // empty component
    for (const char* bad : {"Software\\A\rB", "Software\\A\tB", "Software\\\x1F"}) {
        EXPECT_FALSE(reg_.SetDword(bad, "A", 1)) << bad;  // control characters
    }
    EXPECT_FALSE(reg_.SetString(kMain, "A", std::string("a\0b", 3)));
}

TEST_F(RegistryTest, FailedWriteLeavesFileAndMemoryUnchanged) {
    ASSERT_TRUE(reg_.SetDword(kMain, "Orientation", 1));
    const std::string before = FileText();
    // A non-empty folder where the temporary file goes: the write must fail (even as root).
    ASSERT_TRUE(DeviceFs::CreateFolders(kPath + ".xxx\\blocker"));

    EXPECT_FALSE(reg_.SetDword(kMain, "Orientation", 2));
    EXPECT_FALSE(reg_.SetString(kMain, "WorkDirectory", "\\x"));
    EXPECT_EQ(FileText(), before);
    uint32_t v = 0;
    ASSERT_TRUE(reg_.GetDword(kMain, "Orientation", &v));
    EXPECT_EQ(v, 1u);
    EXPECT_EQ(reg_.ValueNames(kMain), std::vector<std::string>{"Orientation"});

    ASSERT_TRUE(DeviceFs::Remove(kPath + ".xxx\\blocker"));
    ASSERT_TRUE(DeviceFs::Remove(kPath + ".xxx"));
    EXPECT_TRUE(reg_.SetDword(kMain, "Orientation", 2));
    EXPECT_NE(FileText().find("dword:00000002"), std::string::npos);
}

// Loading damaged files: whatever parses is kept, nothing else is invented.

using ParsedValues = std::vector<std::pair<std::string, Registry::Value>>;

ParsedValues Flatten(const std::vector<Registry::Key>& keys) {
    ParsedValues out;
    for (const Registry::Key& k : keys) {
        for (const Registry::Value& v : k.values) {
            if (v.raw.empty()) {
                out.emplace_back(k.path, v);  // lines kept as written are not values
            }
        }
    }
    return out;
}

bool SameValue(const Registry::Value& a, const Registry::Value& b) {
    return a.name == b.name && a.isDword == b.isDword && a.dword == b.dword && a.text == b.text;
}

TEST(RegistryParse, EveryTruncationKeepsOnlyIntactValues) {
    std::vector<Registry::Key> keys = {
        {"Software\\A",
         {{"Orientation", true, 0x12345678, "", "", true}, {"Name", false, 0, "x\"y\\z", "", true}},
         ""},
        {"Software\\B",
         {{"Folder", false, 0, "\\Storage Card", "", true}, {"Delay", true, 30, "", "", true}},
         ""},
    };
    const std::string full = plat::SerializeRegistry(keys);
    const ParsedValues all = Flatten(keys);
    for (size_t cut = 0; cut <= full.size(); ++cut) {
        const ParsedValues got = Flatten(plat::ParseRegistryText(full.substr(0, cut)));
        for (const auto& [path, value] : got) {
            bool known = false;
            for (const auto& [p, v] : all) {
                known = known || (p == path && SameValue(v, value));
            }
            EXPECT_TRUE(known) << "cut " << cut << ": " << path << " " << value.name;
        }
    }
    EXPECT_EQ(Flatten(plat::ParseRegistryText(full)).size(), all.size());
    // Cut inside the last dword: dropped rather than read as a smaller number.
    const std::string cutDword = full.substr(0, full.find("0000001e") + 6);
    ParsedValues got = Flatten(plat::ParseRegistryText(cutDword));
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got.back().second.name, "Folder") << "the intact value stays";
}

TEST(RegistryParse, SurvivesBinaryGarbageAndKeepsTheGoodLines) {
    std::mt19937 rng(1234);
    auto garbage = [&rng](size_t n) {
        std::string g;
        for (size_t i = 0; i < n; ++i) {
            g += static_cast<char>(rng() & 0xFF);
        }
        return g;
    };
    for (int round = 0; round < 200; ++round) {
        plat::ParseRegistryText(garbage(rng() % 4096));  // must not crash or overread
    }
    const std::string text = garbage(300) + "\n[HKEY_CURRENT_USER\\Software\\A]\n" +
                             "\"Good\"=dword:00000005\n" + garbage(500) + "\n\"Text\"=\"ok\"\n" +
                             std::string("\"Nul\"=\"a\0b\"\n", 12);
    const ParsedValues got = Flatten(plat::ParseRegistryText(text));
    bool good = false;
    for (const auto& [path, v] : got) {
        if (v.name == "Good") {
            good = path == "Software\\A" && v.isDword && v.dword == 5;
        }
        EXPECT_NE(v.name, "Nul");
    }
    EXPECT_TRUE(good);
}

TEST(RegistryParse, HugeLinesAreHandled) {
    const std::string big(4 << 20, 'q');
    const std::string text = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\A]\n\"Before\"=dword:1\n" +
                             big + "\n\"Big\"=\"" + big + "\"\n\"After\"=dword:00000002\n";
    const ParsedValues values = Flatten(plat::ParseRegistryText(text));
    ASSERT_EQ(values.size(), 3u);
    EXPECT_EQ(values[1].second.text.size(), big.size());
    EXPECT_EQ(values[2].second.dword, 2u);
}

TEST(RegistryParse, ForeignFileReadsOnlyCurrentUserDwordsAndStrings) {
    const std::string text =
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\Software\\A]\r\n"
        "\"Machine\"=dword:00000001\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\A]\r\n"
        "@=\"default\"\r\n"
        "\"Path\"=hex(2):25,00,53,00,\\\r\n"
        "  00,00\r\n"
        "\"Bin\"=hex:01,02\r\n"
        "\"Q\"=qword:0000000000000001\r\n"
        "\"Str\"=\"kept\"\r\n"
        "\"TooLong\"=dword:000000001\r\n"
        "\"Trailing\"=\"x\" junk\r\n"
        "[-HKEY_CURRENT_USER\\Software\\Gone]\r\n"
        "\"Orphan\"=dword:00000003\r\n";
    const ParsedValues values = Flatten(plat::ParseRegistryText(text));
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0].first, "Software\\A");
    EXPECT_EQ(values[0].second.name, "");
    EXPECT_EQ(values[0].second.text, "default");
    EXPECT_EQ(values[1].second.name, "Str");
}

// Other programs' lines survive every write byte for byte, in place.
TEST_F(RegistryTest, ForeignLinesSurviveWritesByteForByte) {
    const std::string foreignHive =
        "[HKEY_LOCAL_MACHINE\\Software\\A]\r\n\"Machine\"=dword:00000001\r\n";
    const std::string hexValues =
        "\"Path\"=hex(2):25,00,53,00,\\\r\n  00,00\r\n\"Bin\"=hex:01,02\r\n"
        "; a comment\r\n\"Q\"=qword:0000000000000001\r\n\"Odd\"=\"x\" junk\r\n";
    WriteFile("REGEDIT4\r\n\r\n" + foreignHive + "\r\n[HKEY_CURRENT_USER\\Software\\Other]\r\n" +
              hexValues + "\r\n[HKEY_CURRENT_USER\\" + kMain + "]\r\n\"Orientation\"=dword:1\r\n");
    Registry other;
    Reload(&other);
    uint32_t v = 0;
    EXPECT_FALSE(other.GetDword("Software\\Other", "Bin", &v));  // not ours to read
    ASSERT_TRUE(other.SetDword(kMain, "Orientation", 3));
    ASSERT_TRUE(other.SetString("Software\\Other", "Added", "new"));
    const std::string after = FileText();
    EXPECT_NE(after.find(foreignHive), std::string::npos) << after;
    EXPECT_NE(
        after.find("[HKEY_CURRENT_USER\\Software\\Other]\n" + hexValues + "\"Added\"=\"new\"\n"),
        std::string::npos)
        << after;
    EXPECT_NE(after.find("\"Orientation\"=dword:00000003"), std::string::npos);
    // A value of ours under a foreign type's name replaces it in place.
    ASSERT_TRUE(other.SetDword("Software\\Other", "bin", 9));
    EXPECT_NE(FileText().find("\"Bin\"=dword:00000009\n; a comment"), std::string::npos);
}

// Found by fuzzing: a foreign value whose last line ends in "\\" took the next line written
// after it (a value of ours, or a blank line) as its continuation at the next load.
TEST_F(RegistryTest, AForeignValueEndingInAContinuationDoesNotSwallowWhatFollows) {
    WriteFile("REGEDIT4\n\n[HKEY_CURRENT_USER\\" + kMain + "]\n\"Bin\"=hex:01,\\\n");
    Registry other;
    Reload(&other);
    ASSERT_TRUE(other.SetDword(kMain, "Orientation", 1));
    const std::string once = FileText();
    Registry again;
    Reload(&again);
    uint32_t v = 0;
    ASSERT_TRUE(again.GetDword(kMain, "Orientation", &v));
    EXPECT_EQ(v, 1u);
    ASSERT_TRUE(again.SetDword(kMain, "Orientation", 1));
    EXPECT_EQ(FileText(), once);
}

TEST_F(RegistryTest, UnreadableFileIsNeverWrittenAndChangesStayInMemory) {
    // A folder where the file should be: it exists, but cannot be read as a file.
    ASSERT_TRUE(DeviceFs::CreateFolders(kPath));
    ASSERT_TRUE(DeviceFs::WriteAtomic(kPath + "\\keep.txt", "other program"));
    Registry other;
    EXPECT_FALSE(other.Load(kPath));
    EXPECT_FALSE(other.Writable());
    EXPECT_FALSE(other.CreateKey(kMain));
    EXPECT_FALSE(other.SetDword(kMain, "Orientation", 2));
    uint32_t v = 0;
    ASSERT_TRUE(other.GetDword(kMain, "Orientation", &v));
    EXPECT_EQ(v, 2u);
    EXPECT_TRUE(DeviceFs::IsFolder(kPath));
    EXPECT_FALSE(DeviceFs::Present(kPath + ".xxx"));
}

TEST(RegistryParse, ManyKeysAndValuesKeepTheirOrderAndLastValueWins) {
    std::string text = "REGEDIT4\n";
    for (int k = 0; k < 3000; ++k) {
        text += "\n[HKEY_CURRENT_USER\\Software\\K" + std::to_string(k) + "]\n";
        text += "\"V\"=dword:" + std::to_string(k % 10) + "\n";
    }
    text += "\n[HKEY_CURRENT_USER\\SOFTWARE\\k7]\n\"v\"=\"last\"\n";
    const std::vector<Registry::Key> keys = plat::ParseRegistryText(text);
    ASSERT_EQ(keys.size(), 3000u);
    EXPECT_EQ(keys[2999].path, "Software\\K2999");
    ASSERT_EQ(keys[7].values.size(), 1u);
    EXPECT_EQ(keys[7].values[0].name, "V");
    EXPECT_EQ(keys[7].values[0].text, "last");
}

TEST(RegistryParse, ReadsUtf16Files) {
    const std::u16string text =
        u"REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\A]\r\n\"N\u00e4me\"=\"\u20ac\"\r\n";
    std::string bytes = "\xFF\xFE";
    for (const char16_t u : text) {
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8);
    }
    const std::vector<Registry::Key> keys = plat::ParseRegistryText(bytes);
    ASSERT_EQ(keys.size(), 1u);
    ASSERT_EQ(keys[0].values.size(), 1u);
    EXPECT_EQ(keys[0].values[0].name, "N\xC3\xA4me");
    EXPECT_EQ(keys[0].values[0].text, "\xE2\x82\xAC");
}

TEST_F(RegistryTest, LoadKeepsTheGoodPartOfADamagedFile) {
    WriteFile("REGEDIT4\n\n[HKEY_CURRENT_USER\\" + kMain +
              "]\n\"Orientation\"=dword:00000002\n\x01\x02\xff garbage\n\"ShowFileName\"=dwo");
    Registry other;
    Reload(&other);
    uint32_t v = 0;
    ASSERT_TRUE(other.GetDword(kMain, "Orientation", &v));
    EXPECT_EQ(v, 2u);
    EXPECT_FALSE(other.GetDword(kMain, "ShowFileName", &v));
    ASSERT_TRUE(other.SetDword(kMain, "ShowFileName", 1));
    // The line it does not understand is kept as written; the cut last line is dropped.
    EXPECT_EQ(FileText(), "REGEDIT4\n\n[HKEY_CURRENT_USER\\" + kMain +
                              "]\n\"Orientation\"=dword:00000002\n\x01\x02\xff garbage\n"
                              "\"ShowFileName\"=dword:00000001\n");
}

}  // namespace
