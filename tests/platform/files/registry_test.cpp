#include "platform/files/registry.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/scratch_folder.h"

namespace {

using platform::ERegistryException;
using platform::TRegistry;
using Strings = std::vector<std::string>;

const std::string kHeader = "Tolvika Registry 1\r\n";

class RegistryTest : public ::testing::Test {
 protected:
  std::string Bytes() const { return ScratchFolder::Get(path_); }
  ScratchFolder dir_;
  std::string path_ = dir_ / "registry.reg";
};

TEST_F(RegistryTest, ProgramKeyRoundTripsThroughTheFileInCodePage1250) {
  {
    TRegistry reg(path_);
    EXPECT_EQ(reg.CurrentPath(), "");
    ASSERT_TRUE(reg.OpenKey("\\Software\\Varnox\\Tolvika 3", true));
    EXPECT_EQ(reg.CurrentPath(), "Software\\Varnox\\Tolvika 3");
    reg.WriteString("Instaluj", "0");
    ASSERT_TRUE(reg.OpenKey("\\Software\\Varnox\\Tolvika Demo\\Porządek warstw\\", true));
    ASSERT_TRUE(reg.OpenKey("l-Działki", true));  // relative to the open key
    reg.WriteInteger("Default", 0x7FFFFFFF);
    reg.WriteInteger("Minus", -2);
    reg.WriteString("Opis", "linia \"1\"\r\nC:\\Bazy");
  }
  EXPECT_EQ(Bytes(), kHeader +
                         "[Software]\r\n"
                         "[Software\\Varnox]\r\n"
                         "[Software\\Varnox\\Tolvika 3]\r\n"
                         "\"Instaluj\"=\"0\"\r\n"
                         "[Software\\Varnox\\Tolvika Demo]\r\n"
                         "[Software\\Varnox\\Tolvika Demo\\Porz\xB9"
                         "dek warstw]\r\n"
                         "[Software\\Varnox\\Tolvika Demo\\Porz\xB9"
                         "dek warstw\\l-Dzia\xB3ki]\r\n"
                         "\"Default\"=dword:7fffffff\r\n"
                         "\"Minus\"=dword:fffffffe\r\n"
                         "\"Opis\"=\"linia \\\"1\\\"\\r\\nC:\\\\Bazy\"\r\n");

  TRegistry again(path_);
  ASSERT_TRUE(again.OpenKey("\\SOFTWARE\\varnox\\tolvika 3", false));
  EXPECT_EQ(again.CurrentPath(), "Software\\Varnox\\Tolvika 3");  // stored case kept
  EXPECT_EQ(again.ReadString("INSTALUJ"), "0");
  ASSERT_TRUE(again.OpenKey("\\Software\\Varnox\\Tolvika Demo\\PORZĄDEK WARSTW\\L-DZIAŁKI", false));
  EXPECT_EQ(again.ReadInteger("Default"), 0x7FFFFFFF);
  EXPECT_EQ(again.ReadInteger("Minus"), -2);
  EXPECT_EQ(again.ReadString("Opis"), "linia \"1\"\r\nC:\\Bazy");
  EXPECT_EQ(again.GetValueNames(), (Strings{"Default", "Minus", "Opis"}));
}

TEST_F(RegistryTest, ReadsAHandMadeFile) {
  dir_.Put("registry.reg",
           "Tolvika Registry 1\n"
           "\n"
           "[Software\\Varnox\\Tolvika 3]\n"
           "\"Instaluj\"=\"1\"\n"
           "\"Licznik\"=dword:0000002A\n"
           "[Software\\Varnox\\Tolvika 3\\Zielona]\r\n"
           "[Software\\Varnox\\Tolvika 3\\\xA5la]\r\n"
           "[Software\\Varnox\\Tolvika 3\\bis]\r\n");
  TRegistry reg(path_);
  ASSERT_TRUE(reg.OpenKey("\\Software\\Varnox\\Tolvika 3", false));
  EXPECT_EQ(reg.ReadString("Instaluj"), "1");
  EXPECT_EQ(reg.ReadInteger("Licznik"), 42);
  EXPECT_TRUE(reg.HasSubKeys());
  // Subkeys in case-insensitive code-page order.
  EXPECT_EQ(reg.GetKeyNames(), (Strings{"bis", "Zielona", "Ąla"}));
}

// A node's name becomes one key whatever it holds; the path separator in a
// name must not split it into nested keys and move the value elsewhere.
TEST_F(RegistryTest, SubKeyNamedByANodeStaysOneKey) {
  struct Case {
    std::string name;
    std::string stored;
  };
  const std::vector<Case> cases = {
      {"l-Działki", "l-Działki"},     // ordinary names keep their keys
      {"Mapy\\Stare", "Mapy%5CStare"}, // a separator never nests
      {"Mapy/Nowe", "Mapy/Nowe"},     // '/' is no separator here
      {"100%", "100%25"},             // the escape itself is escaped
      {"%5C", "%255C"},               // ...so no two names meet in one key
      {"a\tb", "a%09b"},              // a control character
      {"\\", "%5C"},
  };
  TRegistry reg(path_);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TRegistry::KeyName(c.name), c.stored);
    ASSERT_TRUE(reg.OpenKey("\\Porządek", true));
    EXPECT_FALSE(reg.SubKeyExists(c.name));
    ASSERT_TRUE(reg.OpenSubKey(c.name, true));
    EXPECT_EQ(reg.CurrentPath(), "Porządek\\" + c.stored);
    reg.WriteInteger("Default", 7);
    // The remembered path reopens the same key.
    const std::string back = "\\" + reg.CurrentPath();
    reg.CloseKey();
    ASSERT_TRUE(reg.OpenKey(back, false));
    EXPECT_EQ(reg.ReadInteger("Default"), 7);
    ASSERT_TRUE(reg.OpenKey("\\Porządek", false));
    EXPECT_TRUE(reg.SubKeyExists(c.name));
  }
  ASSERT_TRUE(reg.OpenKey("\\Porządek", false));
  EXPECT_EQ(reg.GetKeyNames().size(), cases.size());
  for (const std::string& key : reg.GetKeyNames()) {
    ASSERT_TRUE(reg.OpenKey("\\Porządek\\" + key, false)) << key;
    EXPECT_FALSE(reg.HasSubKeys()) << key;
  }
  // An empty name is no key; the open key stays.
  ASSERT_TRUE(reg.OpenKey("\\Porządek", false));
  EXPECT_FALSE(reg.OpenSubKey("", true));
  EXPECT_EQ(reg.CurrentPath(), "Porządek");
  EXPECT_FALSE(reg.OpenSubKey("Brak", false));
  EXPECT_EQ(reg.CurrentPath(), "Porządek");
}

TEST_F(RegistryTest, MissingKeysAndValues) {
  TRegistry reg(path_);
  ASSERT_TRUE(reg.OpenKey("\\Software\\Varnox", true));
  EXPECT_FALSE(reg.OpenKey("Tolvika 3", false));
  EXPECT_EQ(reg.CurrentPath(), "Software\\Varnox");  // unchanged by a failed open
  EXPECT_FALSE(reg.KeyExists("Tolvika 3"));
  EXPECT_TRUE(reg.KeyExists("\\software"));
  EXPECT_FALSE(reg.ValueExists("Instaluj"));
  EXPECT_EQ(reg.ReadString("Instaluj"), "");
  EXPECT_THROW(reg.ReadInteger("Instaluj"), ERegistryException);
  reg.WriteString("Tekst", "5");
  EXPECT_THROW(reg.ReadInteger("Tekst"), ERegistryException);
  reg.WriteInteger("Liczba", 5);
  EXPECT_THROW(reg.ReadString("Liczba"), ERegistryException);
  reg.WriteString("Liczba", "teraz tekst");  // a write replaces any type
  EXPECT_EQ(reg.ReadString("Liczba"), "teraz tekst");
  EXPECT_TRUE(reg.DeleteValue("liczba"));
  EXPECT_FALSE(reg.DeleteValue("liczba"));
  EXPECT_FALSE(reg.OpenKey("Zła\x01nazwa", true));
  reg.CloseKey();
  EXPECT_EQ(reg.CurrentPath(), "");
  EXPECT_FALSE(TRegistry(dir_ / "brak.reg").KeyExists("\\Software"));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "brak.reg"));
}

TEST_F(RegistryTest, DeleteKeyRefusesSubkeysDeleteKeyTreeTakesThemAll) {
  TRegistry reg(path_);
  const std::string order = "\\Software\\Varnox\\Tolvika Demo\\Porządek warstw";
  ASSERT_TRUE(reg.OpenKey(order + "\\Widok\\Kataster\\l-Budynki", true));
  reg.WriteInteger("Default", 3);
  ASSERT_TRUE(reg.OpenKey(order + "\\Widok\\Rastry", true));
  reg.CloseKey();

  EXPECT_FALSE(reg.DeleteKey(order + "\\Widok"));
  EXPECT_TRUE(reg.KeyExists(order + "\\Widok\\Kataster\\l-Budynki"));
  EXPECT_TRUE(reg.DeleteKey(order + "\\Widok\\Rastry"));
  EXPECT_FALSE(reg.DeleteKey(order + "\\Widok\\Rastry"));

  ASSERT_TRUE(reg.OpenKey(order, false));
  EXPECT_TRUE(reg.DeleteKeyTree("widok"));
  EXPECT_FALSE(reg.KeyExists("Widok"));
  EXPECT_FALSE(reg.HasSubKeys());
  EXPECT_TRUE(reg.KeyExists(order));
  EXPECT_FALSE(reg.DeleteKeyTree("Widok"));
  EXPECT_FALSE(reg.DeleteKeyTree("\\"));  // not the root

  // A key deleted under the open key's feet cannot be written to.
  ASSERT_TRUE(reg.OpenKey("\\Tymczasowy", true));
  TRegistry other(path_);
  EXPECT_TRUE(other.DeleteKey("\\Tymczasowy"));
  EXPECT_THROW(reg.WriteString("x", "y"), ERegistryException);
  EXPECT_FALSE(other.KeyExists("\\Tymczasowy"));
}

TEST_F(RegistryTest, DamagedFileIsReportedAndNeverWrittenOver) {
  struct Case {
    const char* bytes;
    const char* line;
  } cases[] = {
      {"[Software]\r\n", "wiersz 1"},
      {"Tolvika Registry 1\r\n\"Wartość\"=\"poza kluczem\"\r\n", "wiersz 2"},
      {"Tolvika Registry 1\r\n[Software\r\n", "wiersz 2"},
      {"Tolvika Registry 1\r\n[Software\\\\Varnox]\r\n", "wiersz 2"},
      {"Tolvika Registry 1\r\n[A]\r\n\"n\"=dword:12\r\n", "wiersz 3"},
      {"Tolvika Registry 1\r\n[A]\r\n\"n\"=dword:1234567G\r\n", "wiersz 3"},
      {"Tolvika Registry 1\r\n[A]\r\n\"n\"=\"bez końca\r\n", "wiersz 3"},
      {"Tolvika Registry 1\r\n[A]\r\n\"n\"=\"zły \\x znak\"\r\n", "wiersz 3"},
      {"Tolvika Registry 1\r\n[A]\r\n\"n\"\r\n", "wiersz 3"},
      {"Tolvika Registry 1\r\n[A]\r\nśmieci\r\n", "wiersz 3"},
  };
  for (const Case& k : cases) {
    dir_.Put("registry.reg", k.bytes);
    TRegistry reg(path_);
    try {
      reg.KeyExists("\\A");
      ADD_FAILURE() << "no error for " << k.bytes;
    } catch (const ERegistryException& e) {
      EXPECT_NE(std::string(e.what()).find(k.line), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find(path_), std::string::npos) << e.what();
    }
    EXPECT_THROW(reg.OpenKey("\\B", true), ERegistryException);
    EXPECT_EQ(Bytes(), k.bytes);
  }
}

// Found by fuzzing: a value name holding a control character loaded, but
// could never be written back, as the writer refuses such names.
TEST_F(RegistryTest, ValueNameWithControlCharacterIsDamageNotALoadedValue) {
  for (const char* bytes : {"Tolvika Registry 1\r\n[A]\r\n\"n\x01\"=\"x\"\r\n",
                            "Tolvika Registry 1\r\n[A]\r\n\"n\\r\"=dword:00000001\r\n"}) {
    dir_.Put("registry.reg", bytes);
    TRegistry reg(path_);
    try {
      reg.OpenKey("\\A", false);
      ADD_FAILURE() << "no error for " << bytes;
    } catch (const ERegistryException& e) {
      EXPECT_NE(std::string(e.what()).find("wiersz 3"), std::string::npos) << e.what();
    }
    EXPECT_EQ(Bytes(), bytes);
  }
}

TEST_F(RegistryTest, FailedWritesLeaveTheFileAsItWas) {
  TRegistry reg(path_);
  ASSERT_TRUE(reg.OpenKey("\\Software", true));
  reg.WriteString("A", "1");
  const std::string before = Bytes();
  EXPECT_THROW(reg.WriteString("B", "中文"), ERegistryException);  // not in the code page
  EXPECT_THROW(reg.WriteString("Zła\nnazwa", "1"), ERegistryException);
  EXPECT_THROW(reg.OpenKey("Klucz 中", true), ERegistryException);
  EXPECT_EQ(Bytes(), before);

  // The folder of the file cannot be made: a file stands in its place.
  dir_.Put("plik", "x");
  TRegistry blocked(dir_ / "plik/registry.reg");
  EXPECT_THROW(blocked.OpenKey("\\Software", true), ERegistryException);
  EXPECT_FALSE(blocked.KeyExists("\\Software"));

  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir_.Path()))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (Strings{"plik", "registry.reg", "registry.reg.lock"}));  // no temp left
}

TEST_F(RegistryTest, TwoProcessesWritingAtOnceLoseNothing) {
  {
    TRegistry reg(path_);
    ASSERT_TRUE(reg.OpenKey("\\Software\\Varnox", true));
  }
  constexpr int kEach = 25;
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    int code = 0;
    try {
      TRegistry reg(path_);
      if (!reg.OpenKey("\\Software\\Varnox", false)) code = 2;
      for (int i = 0; i < kEach && code == 0; ++i)
        reg.WriteInteger("dziecko" + std::to_string(i), i);
    } catch (...) {
      code = 3;
    }
    ::_exit(code);
  }
  TRegistry reg(path_);
  ASSERT_TRUE(reg.OpenKey("\\Software\\Varnox", false));
  for (int i = 0; i < kEach; ++i) reg.WriteInteger("rodzic" + std::to_string(i), i);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(reg.GetValueNames().size(), 2u * kEach);
  EXPECT_EQ(reg.ReadInteger("dziecko24"), 24);
  EXPECT_EQ(reg.ReadInteger("rodzic24"), 24);
}

TEST_F(RegistryTest, CurrentUsersRegistryLivesInTheConfigurationFolder) {
  const char* old = ::getenv("XDG_CONFIG_HOME");
  std::string saved = old != nullptr ? old : "";
  ::setenv("XDG_CONFIG_HOME", (dir_ / "konfiguracja").c_str(), 1);
  {
    TRegistry reg;
    EXPECT_EQ(reg.FileName(), dir_ / "konfiguracja/tolvika/registry.reg");
    ASSERT_TRUE(reg.OpenKey("\\Software\\Varnox\\Tolvika 3", true));
    reg.WriteString("Instaluj", "0");
  }
  EXPECT_TRUE(std::filesystem::exists(dir_ / "konfiguracja/tolvika/registry.reg"));
  if (old != nullptr)
    ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  else
    ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
