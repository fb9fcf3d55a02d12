#include "platform/os/registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "platform/os/device_fs.h"
#include "tests/platform/temp_device.h"

namespace {

using plat::DeviceFs;
using plat::Registry;
using Strings = std::vector<std::string>;

const std::string kPath = "\\Windows\\registry.reg";
const std::string kMain = "Software\\Tarrowby Systems Inc.\\velloran\\MainSection";

std::string FileText() {
    std::string bytes;
    DeviceFs::ReadAll(kPath, &bytes);
    return bytes;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// A value as "dword:N" or "\"text\"", "-" when absent, "both" when it reads as either type.
std::string Get(const Registry& reg, const std::string& name, const std::string& key = kMain) {
    uint32_t v = 0;
    std::string s;
    const bool dword = reg.GetDword(key, name, &v);
    const bool text = reg.GetString(key, name, &s);
    if (dword && text)
        return "both";
    return dword ? "dword:" + std::to_string(v) : text ? "\"" + s + "\"" : "-";
}

// The values parsed from a file, one "key name=value" each; lines kept as written are left out.
Strings Values(const std::string& text) {
    Strings out;
    for (const Registry::Key& k : plat::ParseRegistryText(text)) {
        for (const Registry::Value& v : k.values) {
            if (v.raw.empty()) {
                out.push_back(
                    k.path + " " + v.name + "=" +
                    (v.isDword ? "dword:" + std::to_string(v.dword) : "\"" + v.text + "\""));
            }
        }
    }
    return out;
}

class RegistryTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(reg_.Load(kPath)); }
    // Puts `bytes` in the registry file and loads it into `other_`.
    void LoadFile(const std::string& bytes) {
        ASSERT_TRUE(DeviceFs::CreateFolders("\\Windows"));
        ASSERT_TRUE(DeviceFs::WriteAtomic(kPath, bytes));
        ASSERT_TRUE(other_.Load(kPath));
    }

    plat_test::TempDevice device_;
    Registry reg_;
    Registry other_;
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
    EXPECT_EQ(FileText(), "REGEDIT4\n\n[HKEY_CURRENT_USER\\" + kMain + "]\n");
}

TEST_F(RegistryTest, ValuesRoundTripInOrderAndCompareWithoutCaseKeepingTheirFirstSpelling) {
    std::string longText;
    for (int i = 0; i < 300; ++i) {
        longText += static_cast<char>('a' + i % 26);
    }
    const std::vector<std::pair<std::string, std::string>> strings = {
        {"WorkDirectory", "\\My Documents\\\"quoted\" \xC3\xA9t\xC3\xA9 \xE2\x82\xAC\\"},
        {"Long", longText},
        {"Lines", "one\ntwo\r\n"},
        {"Empty", ""}};
    // Every value a dword first: rewriting one, even with the other type or under another
    // spelling of its key and name, keeps its place and its first spelling.
    const Strings order = {"ThumbMaxView", "WorkDirectory", "Long",        "Lines",
                           "Empty",        "Orientation",   "ShadowColor", "\xCE\x91\xCE\xB2"};
    for (const std::string& name : order) {
        ASSERT_TRUE(reg_.SetDword(kMain, name, 1));
    }
    ASSERT_TRUE(reg_.SetDword("SOFTWARE\\tarrowby systems inc.\\VELLORAN\\mainsection\\",
                              "THUMBMAXVIEW", 0));
    for (const auto& [name, text] : strings) {
        ASSERT_TRUE(reg_.SetString(kMain, name, text));
    }
    ASSERT_TRUE(reg_.SetDword(kMain, "Orientation", 10));
    ASSERT_TRUE(reg_.SetDword(kMain, "ShadowColor", 0xFFFFFFFFu));
    ASSERT_TRUE(reg_.SetString(kMain, "\xCE\xB1\xCE\x92", "x"));  // "Αβ" written as "αΒ"
    EXPECT_EQ(reg_.ValueNames(kMain), order);
    const std::string text = FileText();
    EXPECT_TRUE(Contains(text, "[HKEY_CURRENT_USER\\" + kMain + "]\n\"ThumbMaxView\"=dword:0000"))
        << text;
    EXPECT_TRUE(Contains(text, "\"Orientation\"=dword:0000000a\n")) << text;
    EXPECT_TRUE(Contains(text, "\"WorkDirectory\"=\"\\\\My Documents\\\\\\\"quoted\\\"")) << text;

    ASSERT_TRUE(other_.Load(kPath));
    EXPECT_EQ(other_.ValueNames(kMain), order);
    EXPECT_EQ(Get(other_, "thumbmaxview") + " " + Get(other_, "Orientation") + " " +
                  Get(other_, "ShadowColor") + " " + Get(other_, "\xCE\xB1\xCE\x92"),
              "dword:0 dword:10 dword:4294967295 \"x\"");
    for (const auto& [name, value] : strings) {
        EXPECT_EQ(Get(other_, name), "\"" + value + "\"") << name;
    }
    EXPECT_EQ(other_.Serialize(), text);
}

TEST_F(RegistryTest, TypesDoNotMixAndDeleteRemovesFromTheFile) {
    ASSERT_TRUE(reg_.SetString(kMain, "HomeDirectory", "\\Samples"));
    ASSERT_TRUE(reg_.SetDword(kMain, "Orientation", 1));
    EXPECT_EQ(Get(reg_, "HomeDirectory") + " " + Get(reg_, "Orientation"), "\"\\Samples\" dword:1");

    EXPECT_FALSE(reg_.DeleteValue(kMain, "Missing"));
    EXPECT_FALSE(reg_.DeleteValue("Software\\Nowhere", "Orientation"));
    ASSERT_TRUE(reg_.DeleteValue(kMain, "homedirectory"));
    EXPECT_FALSE(Contains(FileText(), "HomeDirectory"));
    EXPECT_TRUE(reg_.KeyExists(kMain));  // the key stays

    // An empty component, and control characters.
    for (const char* bad :
         {"Software\\\\X", "Software\\A\rB", "Software\\A\tB", "Software\\\x1F"}) {
        EXPECT_FALSE(reg_.SetDword(bad, "A", 1)) << bad;
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
    EXPECT_EQ(Get(reg_, "Orientation"), "dword:1");
    EXPECT_EQ(reg_.ValueNames(kMain), Strings{"Orientation"});

    ASSERT_TRUE(DeviceFs::RemoveTree(kPath + ".xxx"));
    EXPECT_TRUE(reg_.SetDword(kMain, "Orientation", 2));
    EXPECT_TRUE(Contains(FileText(), "dword:00000002"));
}

// Only the current user's dwords and strings are read; other programs' lines survive every
// write byte for byte, in place.
TEST_F(RegistryTest, ForeignLinesSurviveWritesByteForByte) {
    const std::string foreignHive =
        "[HKEY_LOCAL_MACHINE\\Software\\A]\r\n\"Machine\"=dword:00000001\r\n";
    const std::string hexValues =
        "\"Path\"=hex(2):25,00,53,00,\\\r\n  00,00\r\n\"Bin\"=hex:01,02\r\n"
        "; a comment\r\n\"Q\"=qword:0000000000000001\r\n\"Odd\"=\"x\" junk\r\n";
    const std::string text = "Windows Registry Editor Version 5.00\r\n\r\n" + foreignHive +
                             "\r\n[HKEY_CURRENT_USER\\Software\\Other]\r\n" + hexValues +
                             "\r\n[HKEY_CURRENT_USER\\" + kMain +
                             "]\r\n\"Orientation\"=dword:1\r\n@=\"default\"\r\n\"TooLong\"=dword:"
                             "000000001\r\n\"Str\"=\"kept\"\r\n[-HKEY_CURRENT_USER\\Software\\Gone]"
                             "\r\n\"Orphan\"=dword:00000003\r\n";
    EXPECT_EQ(Values(text), (Strings{kMain + " Orientation=dword:1", kMain + " =\"default\"",
                                     kMain + " Str=\"kept\""}));
    LoadFile(text);
    EXPECT_EQ(Get(other_, "Bin", "Software\\Other"), "-");  // not ours to read
    ASSERT_TRUE(other_.SetDword(kMain, "Orientation", 3));
    ASSERT_TRUE(other_.SetString("Software\\Other", "Added", "new"));
    const std::string after = FileText();
    EXPECT_TRUE(Contains(after, foreignHive)) << after;
    EXPECT_TRUE(Contains(
        after, "[HKEY_CURRENT_USER\\Software\\Other]\n" + hexValues + "\"Added\"=\"new\"\n"))
        << after;
    EXPECT_TRUE(Contains(after, "\"Orientation\"=dword:00000003"));
    // A value of ours under a foreign type's name replaces it in place.
    ASSERT_TRUE(other_.SetDword("Software\\Other", "bin", 9));
    EXPECT_TRUE(Contains(FileText(), "\"Bin\"=dword:00000009\n; a comment"));
}

// Found by fuzzing: a foreign value whose last line ends in "\\" took the next line written
// after it (a value of ours, or a blank line) as its continuation at the next load.
TEST_F(RegistryTest, AForeignValueEndingInAContinuationDoesNotSwallowWhatFollows) {
    LoadFile("REGEDIT4\n\n[HKEY_CURRENT_USER\\" + kMain + "]\n\"Bin\"=hex:01,\\\n");
    ASSERT_TRUE(other_.SetDword(kMain, "Orientation", 1));
    const std::string once = FileText();
    Registry again;
    ASSERT_TRUE(again.Load(kPath));
    EXPECT_EQ(Get(again, "Orientation"), "dword:1");
    ASSERT_TRUE(again.SetDword(kMain, "Orientation", 1));
    EXPECT_EQ(FileText(), once);
}

TEST_F(RegistryTest, UnreadableFileIsNeverWrittenAndChangesStayInMemory) {
    // A folder where the file should be: it exists, but cannot be read as a file.
    ASSERT_TRUE(DeviceFs::CreateFolders(kPath));
    ASSERT_TRUE(DeviceFs::WriteAtomic(kPath + "\\keep.txt", "other program"));
    EXPECT_FALSE(other_.Load(kPath));
    EXPECT_FALSE(other_.Writable());
    EXPECT_FALSE(other_.CreateKey(kMain));
    EXPECT_FALSE(other_.SetDword(kMain, "Orientation", 2));
    EXPECT_EQ(Get(other_, "Orientation"), "dword:2");
    EXPECT_TRUE(DeviceFs::IsFolder(kPath));
    EXPECT_FALSE(DeviceFs::Present(kPath + ".xxx"));
}

TEST_F(RegistryTest, LoadKeepsTheGoodPartOfADamagedFile) {
    const std::string head = "REGEDIT4\n\n[HKEY_CURRENT_USER\\" + kMain +
                             "]\n\"Orientation\"=dword:00000002\n\x01\x02\xff garbage\n";
    LoadFile(head + "\"ShowFileName\"=dwo");
    EXPECT_EQ(Get(other_, "Orientation") + " " + Get(other_, "ShowFileName"), "dword:2 -");
    ASSERT_TRUE(other_.SetDword(kMain, "ShowFileName", 1));
    // The line it does not understand is kept as written; the cut last line is dropped.
    EXPECT_EQ(FileText(), head + "\"ShowFileName\"=dword:00000001\n");
}

// Parsing damaged and foreign files: whatever parses is kept, nothing else is invented.

TEST(RegistryParse, EveryTruncationKeepsOnlyIntactValues) {
    const std::string full = plat::SerializeRegistry({
        {"Software\\A",
         {{"Orientation", true, 0x12345678, "", "", true}, {"Name", false, 0, "x\"y\\z", "", true}},
         ""},
        {"Software\\B",
         {{"Folder", false, 0, "\\Storage Card", "", true}, {"Delay", true, 30, "", "", true}},
         ""},
    });
    const Strings all = Values(full);
    ASSERT_EQ(all,
              (Strings{"Software\\A Orientation=dword:305419896", "Software\\A Name=\"x\"y\\z\"",
                       "Software\\B Folder=\"\\Storage Card\"", "Software\\B Delay=dword:30"}));
    for (size_t cut = 0; cut <= full.size(); ++cut) {
        for (const std::string& value : Values(full.substr(0, cut))) {
            EXPECT_NE(std::count(all.begin(), all.end(), value), 0)
                << "cut " << cut << ": " << value;
        }
    }
    // Cut inside the last dword: dropped rather than read as a smaller number.
    EXPECT_EQ(Values(full.substr(0, full.find("0000001e") + 6)),
              Strings(all.begin(), all.end() - 1));
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
    const Strings values =
        Values(garbage(300) + "\n[HKEY_CURRENT_USER\\Software\\A]\n" + "\"Good\"=dword:00000005\n" +
               garbage(500) + "\n\"Text\"=\"ok\"\n" + std::string("\"Nul\"=\"a\0b\"\n", 12));
    EXPECT_EQ(std::count(values.begin(), values.end(), "Software\\A Good=dword:5"), 1);
    for (const std::string& v : values) {
        EXPECT_FALSE(Contains(v, " Nul=")) << v;
    }
}

TEST(RegistryParse, HugeLinesAreHandled) {
    const std::string big(4 << 20, 'q');
    const Strings values =
        Values("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\A]\n\"Before\"=dword:1\n" + big +
               "\n\"Big\"=\"" + big + "\"\n\"After\"=dword:00000002\n");
    ASSERT_EQ(values.size(), 3u);
    EXPECT_TRUE(values[1] == "Software\\A Big=\"" + big + "\"") << values[1].size() << " bytes";
    EXPECT_EQ(values[2], "Software\\A After=dword:2");
}

TEST(RegistryParse, ManyKeysAndValuesKeepTheirOrderAndLastValueWins) {
    std::string text = "REGEDIT4\n";
    for (int k = 0; k < 3000; ++k) {
        text += "\n[HKEY_CURRENT_USER\\Software\\K" + std::to_string(k) + "]\n";
        text += "\"V\"=dword:" + std::to_string(k % 10) + "\n";
    }
    text += "\n[HKEY_CURRENT_USER\\SOFTWARE\\k7]\n\"v\"=\"last\"\n";
    const Strings values = Values(text);
    ASSERT_EQ(values.size(), 3000u);
    EXPECT_EQ(values[7], "Software\\K7 V=\"last\"");
    EXPECT_EQ(values[2999], "Software\\K2999 V=dword:9");
}

TEST(RegistryParse, ReadsUtf16Files) {
    const std::u16string text =
        u"REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\A]\r\n\"N\u00e4me\"=\"\u20ac\"\r\n";
    std::string bytes = "\xFF\xFE";
    for (const char16_t u : text) {
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8);
    }
    EXPECT_EQ(plat::ParseRegistryText(bytes).size(), 1u);
    EXPECT_EQ(Values(bytes), Strings{"Software\\A N\xC3\xA4me=\"\xE2\x82\xAC\""});
}

}  // namespace
