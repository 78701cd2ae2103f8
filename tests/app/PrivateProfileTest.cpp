#include "app/PrivateProfile.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

TEST(PrivateProfile, FindsSectionsAndKeysWhateverTheirCaseAndBlanks) {
    PrivateProfile p("; comment\r\n  [ Param ]  \r\n  BeobXA =  -1.5 \t\r\nEmpty=\n[other]\nx=1\n");
    EXPECT_EQ(p.get("param", "beobxa").value(), "-1.5");
    EXPECT_EQ(p.get("PARAM", "BEOBXA").value(), "-1.5");
    EXPECT_EQ(p.get("Param", "Empty").value(), "");
    EXPECT_FALSE(p.get("Param", "x").has_value()); // belongs to another section
    EXPECT_EQ(p.get("Other", "X").value(), "1");
    EXPECT_FALSE(p.get("Missing", "x").has_value());
    // The first of two equal keys counts.
    PrivateProfile twice("[a]\r\nk=1\r\nK=2\r\n");
    EXPECT_EQ(twice.get("a", "k").value(), "1");
}

TEST(PrivateProfile, UmlautKeysMatchInWindows1252AndUtf8AndEitherCase) {
    // "Trägheit" spelled in UTF-8 in the file, looked up in Windows-1252.
    PrivateProfile p("[Param]\nTr\xC3\xA4gheit=0.5\nH\xC3\xB6he\xC3\x9c"
                     "berBoden=7\nAUSH\xD6HE=240\n");
    EXPECT_EQ(p.get("Param", "Tr\xE4gheit").value(), "0.5");
    EXPECT_EQ(p.get("Param", "H\xF6he\xDC"
                             "berBoden")
                  .value(),
              "7");
    EXPECT_EQ(p.get("Param", "AusH\xF6he").value(), "240"); // Ö and ö are one letter
    EXPECT_EQ(PrivateProfile::foldName("\xC3\x84\xC3\x96\xC3\x9C"
                                       "ABC"),
              "\xE4\xF6\xFC"
              "abc");
    // Writing a key found under its UTF-8 spelling replaces it in place and keeps that spelling.
    p.set("Param", "Tr\xE4gheit", "1.0");
    EXPECT_EQ(p.text(), "[Param]\r\nTr\xC3\xA4gheit=1.0\r\nH\xC3\xB6he\xC3\x9c"
                        "berBoden=7\r\nAUSH\xD6HE=240\r\n");
    // A UTF-8 byte order mark does not hide the first section.
    PrivateProfile bom("\xEF\xBB\xBF[Param]\nBeobXA=1\n");
    EXPECT_EQ(bom.get("Param", "BeobXA").value(), "1");
    bom.set("Param", "BeobXA", "2");
    EXPECT_EQ(bom.text(), "\xEF\xBB\xBF[Param]\r\nBeobXA=2\r\n");
}

TEST(PrivateProfile, WritesInPlaceAtSectionEndOrAsNewSectionAndKeepsOtherLines) {
    PrivateProfile p("[A]\n; keep me\nk1 = old\nk2=2\n\n[B]\nz=9\n");
    p.set("a", "K1", "new"); // in place, the key keeps its spelling
    p.set("A", "k3", "3");   // after the last entry of A, before the blank line
    p.set("C", "c", "");     // new section at the end
    p.set("B", "y", "8");
    EXPECT_EQ(p.text(),
              "[A]\r\n; keep me\r\nk1=new\r\nk2=2\r\nk3=3\r\n\r\n[B]\r\nz=9\r\ny=8\r\n\r\n[C]\r\nc=\r\n");
    EXPECT_EQ(p.keys("A"), (std::vector<std::string>{"k1", "k2", "k3"}));
    EXPECT_TRUE(p.remove("A", "K2"));
    EXPECT_FALSE(p.remove("A", "k2"));
    EXPECT_TRUE(p.removeSection("b"));
    EXPECT_EQ(p.text(), "[A]\r\n; keep me\r\nk1=new\r\nk3=3\r\n\r\n[C]\r\nc=\r\n");
    // A section without entries takes its first key right after the header; a value is kept whole.
    PrivateProfile q("[S]\n\n; note\n");
    std::string longValue(500, 'v');
    q.set("S", "k", longValue);
    EXPECT_EQ(q.text(), "[S]\r\nk=" + longValue + "\r\n\r\n; note\r\n");
    EXPECT_EQ(q.get("S", "k").value(), longValue);
}

TEST(PrivateProfile, OneCallFunctionsCreateReadModifyAndNeverLeaveACutFile) {
    TempDir dir;
    std::string ini = dir.path("x.ini");
    EXPECT_EQ(GetPrivateProfileString("S", "k", "def", ini), "def");
    EXPECT_EQ(GetPrivateProfileInt("S", "k", 42, ini), 42);
    ASSERT_TRUE(WritePrivateProfileString("S", "k", std::string("12abc"), ini));
    EXPECT_EQ(TempDir::read(ini), "[S]\r\nk=12abc\r\n");
    EXPECT_EQ(GetPrivateProfileInt("S", "k", 42, ini), 12);
    ASSERT_TRUE(WritePrivateProfileString("S", "e", std::string(""), ini));
    EXPECT_EQ(GetPrivateProfileInt("S", "e", 42, ini), 42); // empty value: the default
    ASSERT_TRUE(WritePrivateProfileString("S", "n", std::string("abc"), ini));
    EXPECT_EQ(GetPrivateProfileInt("S", "n", 42, ini), 0); // not a number: 0
    ASSERT_TRUE(WritePrivateProfileString("S", "k", std::nullopt, ini));
    EXPECT_EQ(TempDir::read(ini), "[S]\r\ne=\r\nn=abc\r\n");
    // A folder that cannot take the temporary file: the write fails and the old file stays whole.
    if (::geteuid() != 0) {
        ::chmod(dir.path().c_str(), 0555);
        EXPECT_FALSE(WritePrivateProfileString("S", "k", std::string("v"), ini));
        ::chmod(dir.path().c_str(), 0755);
        EXPECT_EQ(TempDir::read(ini), "[S]\r\ne=\r\nn=abc\r\n");
    }
    EXPECT_FALSE(WritePrivateProfileString("S", "k", std::string("v"), dir.path("no/such/folder.ini")));
    PrivateProfile p;
    EXPECT_TRUE(p.load(dir.path("missing.ini")));
    EXPECT_TRUE(p.empty());
}
