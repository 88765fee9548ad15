#include "platform/files/inifile.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/scratch_folder.h"

namespace {

namespace fs = std::filesystem;
using platform::EIniFileError;
using platform::TIniFile;
using Strings = std::vector<std::string>;

class IniFileTest : public ::testing::Test {
 protected:
  std::string Put(const std::string& bytes) { return dir_.Put("ustawienia.ini", bytes); }
  std::string Bytes() const { return ScratchFolder::Get(path_); }
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_.Path()))
      names.push_back(e.path().filename().string());
    return names;
  }
  ScratchFolder dir_;
  std::string path_ = dir_ / "ustawienia.ini";
};

TEST_F(IniFileTest, MissingFileReadsAsEmptyAndIsNotCreated) {
  TIniFile ini(path_);
  EXPECT_EQ(ini.ReadString("Files", "Symbole", "dom"), "dom");
  EXPECT_EQ(ini.ReadInteger("Files", "N", -7), -7);
  EXPECT_TRUE(ini.ReadBool("Files", "B", true));
  EXPECT_TRUE(ini.ReadSections().empty());
  EXPECT_TRUE(ini.ReadSection("Files").empty());
  EXPECT_FALSE(ini.SectionExists("Files"));
  EXPECT_FALSE(ini.ValueExists("Files", "Symbole"));
  EXPECT_FALSE(fs::exists(path_));
}

TEST_F(IniFileTest, WritesCodePage1250WithCrLfAndReadsBackWhateverTheCase) {
  TIniFile ini(path_);
  ini.WriteString("Działki", "Ścieżka", "C:\\Mapy\\łąka");
  ini.WriteInteger("Działki", "Skala", 500);
  ini.WriteBool("Inne", "Siatka", true);
  ini.WriteBool("Inne", "Opis", false);
  ini.UpdateFile();
  EXPECT_EQ(Bytes(),
            "[Dzia\xB3ki]\r\n\x8C" "cie\xBFka=C:\\Mapy\\\xB3\xB9ka\r\nSkala=500\r\n\r\n"
            "[Inne]\r\nSiatka=1\r\nOpis=0\r\n");

  TIniFile other(path_);
  EXPECT_EQ(other.ReadString("DZIAŁKI", "ścieżka", ""), "C:\\Mapy\\łąka");
  EXPECT_EQ(other.ReadInteger("działki", "SKALA", 0), 500);
  EXPECT_TRUE(other.ReadBool("inne", "siatka", false));
  EXPECT_FALSE(other.ReadBool("inne", "opis", true));
  EXPECT_EQ(other.ReadSections(), (Strings{"Działki", "Inne"}));
  EXPECT_EQ(other.ReadSection("działki"), (Strings{"Ścieżka", "Skala"}));
  EXPECT_EQ(other.ReadSectionValues("Działki"), (Strings{"Ścieżka=C:\\Mapy\\łąka", "Skala=500"}));
}

TEST_F(IniFileTest, ReadsMalformedHandMadeFiles) {
  // Code page 1250 without a byte-order mark, CRLF and LF mixed, text before
  // the first section, lines without '=', a comment, blanks around '=', a
  // section given twice and a key given twice.
  Put("wolny=tekst\r\n"
      "[Krzy\xBF]\r\n"
      "bez znaku r\xF3wno\xB6" "ci\r\n"
      ";Rozmiar=99\r\n"
      "  Rozmiar   =  12  \r\n"
      "=bez klucza\n"
      "rozmiar=13\r\n"
      "\xA3\xB9ka = zielona \r\n"
      "[ krzy\xAF ]\r\n"
      "Kolor=5\r\n"
      "[Pusta\r\n");
  TIniFile ini(path_);
  EXPECT_EQ(ini.ReadString("Krzyż", "Rozmiar", ""), "12");
  EXPECT_EQ(ini.ReadString("KRZYŻ", "łąka", ""), "zielona");
  EXPECT_EQ(ini.ReadString("Krzyż", "Kolor", "brak"), "brak") << "first section wins";
  EXPECT_EQ(ini.ReadString("Krzyż", "bez znaku równości", "brak"), "brak");
  EXPECT_EQ(ini.ReadString("", "wolny", "brak"), "brak");
  EXPECT_EQ(ini.ReadSection("Krzyż"), (Strings{"Rozmiar", "Łąka"}));
  EXPECT_EQ(ini.ReadSections(), (Strings{"Krzyż", "Pusta"}));
  EXPECT_TRUE(ini.SectionExists("pusta"));
  EXPECT_TRUE(ini.ValueExists("krzyż", "ROZMIAR"));
}

TEST_F(IniFileTest, NumbersAndBooleans) {
  struct Case {
    const char* text;
    std::int32_t integer;  // read with default -1
    bool boolean;          // read with default true
  };
  const Case cases[] = {
      {"12", 12, true},           {"-5", -5, true},           {"0", 0, false},
      {"$1F", 31, true},          {"0x10", 16, true},         {" 7 ", 7, true},
      {"$FFFFFFFF", -1, true},    {"12abc", -1, true},        {"", -1, true},
      {"tak", -1, true},          {"99999999999", -1, true},  {"2147483647", 2147483647, true},
      {"-2147483648", INT32_MIN, true},                       {"2147483648", -1, true},
  };
  auto key = [](std::size_t i) {
    std::string name(1, 'k');
    name += std::to_string(i);
    return name;
  };
  std::string text = "[N]\r\n";
  for (std::size_t i = 0; i < std::size(cases); ++i)
    text += key(i) + "=" + cases[i].text + "\r\n";
  Put(text);
  TIniFile ini(path_);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].text);
    EXPECT_EQ(ini.ReadInteger("N", key(i), -1), cases[i].integer);
    EXPECT_EQ(ini.ReadBool("N", key(i), true), cases[i].boolean);
  }
  EXPECT_FALSE(ini.ReadBool("N", "k9", false)) << "\"tak\" is no number: the default";
}

TEST_F(IniFileTest, WriteKeepsOtherLinesAndPlacesNewKeysInTheirSection) {
  Put("; ustawienia\r\n[A]\r\nx=1\r\n; uwaga\r\n\r\n[B]\r\ny=2\r\n");
  TIniFile ini(path_);
  ini.WriteString("a", "X", "10");
  ini.WriteString("A", "z", "3");
  ini.WriteString("C", "w", "4");
  ini.UpdateFile();
  EXPECT_EQ(Bytes(),
            "; ustawienia\r\n[A]\r\nx=10\r\n; uwaga\r\nz=3\r\n\r\n[B]\r\ny=2\r\n\r\n[C]\r\nw=4\r\n");
}

TEST_F(IniFileTest, KeepsLfLineEnds) {
  Put("[A]\nx=1\n");
  TIniFile ini(path_);
  ini.WriteString("A", "y", "2");
  ini.UpdateFile();
  EXPECT_EQ(Bytes(), "[A]\nx=1\ny=2\n");
}

TEST_F(IniFileTest, EraseSectionAndDeleteKey) {
  Put("[A]\r\nx=1\r\nX=2\r\ny=3\r\n[B]\r\nz=4\r\n[a]\r\nv=5\r\n");
  TIniFile ini(path_);
  ini.DeleteKey("A", "x");
  EXPECT_FALSE(ini.ValueExists("A", "x")) << "a second key of that name does not show up";
  EXPECT_EQ(ini.ReadSectionValues("A"), (Strings{"y=3"}));
  ini.DeleteKey("A", "brak");
  ini.DeleteKey("Brak", "x");
  ini.EraseSection("a");
  EXPECT_FALSE(ini.SectionExists("A")) << "nor does a second section of that name";
  ini.UpdateFile();
  EXPECT_EQ(Bytes(), "[B]\r\nz=4\r\n");
  ini.EraseSection("B");
  ini.UpdateFile();
  EXPECT_EQ(Bytes(), "");
  EXPECT_EQ(Entries(), (Strings{"ustawienia.ini"})) << "no temporary file left";
}

TEST_F(IniFileTest, SeesChangesMadeByOthers) {
  TIniFile first(path_), second(path_);
  EXPECT_EQ(first.ReadString("A", "x", "brak"), "brak");
  second.WriteString("A", "x", "1");
  EXPECT_EQ(first.ReadString("A", "x", "brak"), "brak") << "not written yet";
  second.UpdateFile();
  EXPECT_EQ(first.ReadString("A", "x", "brak"), "1");
  Put("[A]\r\nx=22\r\n");
  EXPECT_EQ(first.ReadInteger("A", "x", 0), 22);
}

TEST_F(IniFileTest, NamesAndValuesTheFormatCannotHoldAreRefused) {
  Put("[A]\r\nx=1\r\n");
  TIniFile ini(path_);
  EXPECT_THROW(ini.WriteString("A", "k=v", "1"), EIniFileError);
  EXPECT_THROW(ini.WriteString("A", "", "1"), EIniFileError);
  EXPECT_THROW(ini.WriteString("A", "[B]", "1"), EIniFileError);
  EXPECT_THROW(ini.WriteString("A", ";k", "1"), EIniFileError);
  EXPECT_THROW(ini.WriteString("A]", "k", "1"), EIniFileError);
  EXPECT_THROW(ini.WriteString(" ", "k", "1"), EIniFileError);
  EXPECT_THROW(ini.WriteString("A", "k", "1\r\n[B]"), EIniFileError);
  EXPECT_EQ(Bytes(), "[A]\r\nx=1\r\n");
}

TEST_F(IniFileTest, ReadOnlyFileIsNotReplaced) {
  Put("[A]\r\nx=1\r\n");
  ::chmod(path_.c_str(), 0444);
  TIniFile ini(path_);
  ini.WriteString("A", "x", "2");
  EXPECT_THROW(ini.UpdateFile(), EIniFileError);
  EXPECT_EQ(Bytes(), "[A]\r\nx=1\r\n");
  EXPECT_EQ(Entries(), (Strings{"ustawienia.ini"}));
  // The change waits: once the file may be written, it goes in.
  EXPECT_TRUE(ini.Modified());
  EXPECT_EQ(ini.ReadString("A", "x", ""), "2");
  ::chmod(path_.c_str(), 0644);
  ini.UpdateFile();
  EXPECT_EQ(Bytes(), "[A]\r\nx=2\r\n");
  EXPECT_EQ(ini.FileReplacements(), 1u);
}

TEST_F(IniFileTest, WriteIntoReadOnlyFolderFailsAndLeavesTheOldFile) {
  Put("[A]\r\nx=1\r\n");
  ::chmod(path_.c_str(), 0666);
  ::chmod(dir_.Path().c_str(), 0555);
  // Folder permissions bind only an unprivileged user: run the write as one.
  pid_t pid = ::fork();
  if (pid == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
    TIniFile ini(path_);
    try {
      ini.WriteString("A", "x", "2");
      ini.UpdateFile();
    } catch (const EIniFileError&) {
      ::_exit(0);
    }
    ::_exit(1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the write did not fail; 3: no unprivileged user";
  EXPECT_EQ(Bytes(), "[A]\r\nx=1\r\n");
  EXPECT_EQ(Entries(), (Strings{"ustawienia.ini"}));
}

TEST_F(IniFileTest, WriteKeepsTheFileMode) {
  Put("[A]\r\nx=1\r\n");
  ::chmod(path_.c_str(), 0640);
  TIniFile ini(path_);
  ini.WriteString("A", "x", "2");
  ini.UpdateFile();
  struct stat st;
  ASSERT_EQ(::stat(path_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(IniFileTest, NameIsResolvedCaseInsensitively) {
  Put("[A]\r\nx=1\r\n");
  TIniFile ini(dir_ / "USTAWIENIA.INI");
  EXPECT_EQ(ini.ReadString("A", "x", ""), "1");
  ini.WriteString("A", "x", "2");
  ini.UpdateFile();
  EXPECT_EQ(Bytes(), "[A]\r\nx=2\r\n");
  EXPECT_EQ(Entries(), (Strings{"ustawienia.ini"}));
}

// A text and a number, built piece by piece (Numbered("k", i) draws a
// false overlap warning from g++ 12 in release builds).
std::string Numbered(const char* text, int i) {
  std::string result = text;
  result += std::to_string(i);
  return result;
}

// Each write used to replace and flush the whole file: the two hundred
// settings written at program end took a second on a local disk.
TEST_F(IniFileTest, ManyWritesReplaceTheFileOnceWhenUpdated) {
  Put("; ustawienia\r\n[A]\r\nk0=stara\r\n");
  const std::string before = Bytes();
  TIniFile ini(path_);
  for (int i = 0; i < 200; ++i)
    ini.WriteString(i % 2 ? "A" : "B", Numbered("k", i), Numbered("w", i));
  EXPECT_EQ(Bytes(), before) << "nothing written before UpdateFile";
  EXPECT_EQ(ini.ReadString("B", "k0", ""), "w0") << "reads see the waiting changes";
  ini.UpdateFile();
  ini.UpdateFile();  // nothing waits: no second replacement
  EXPECT_EQ(ini.FileReplacements(), 1u);
  EXPECT_FALSE(ini.Modified());
  EXPECT_EQ(Entries(), (Strings{"ustawienia.ini"}));

  TIniFile other(path_);
  for (int i = 0; i < 200; ++i)
    EXPECT_EQ(other.ReadString(i % 2 ? "A" : "B", Numbered("k", i), ""), Numbered("w", i));
  EXPECT_EQ(other.ReadSections(), (Strings{"A", "B"}));
  EXPECT_EQ(Bytes().rfind("; ustawienia\r\n[A]\r\nk0=stara\r\nk1=w1\r\n", 0), 0u);
}

TEST_F(IniFileTest, ChangesStillWaitingAreWrittenWhenTheObjectGoesAway) {
  Put("[A]\r\nx=1\r\n");
  {
    TIniFile ini(path_);
    ini.WriteInteger("A", "x", 5);
    ini.DeleteKey("A", "brak");
    EXPECT_EQ(Bytes(), "[A]\r\nx=1\r\n");
  }
  EXPECT_EQ(Bytes(), "[A]\r\nx=5\r\n");
  {
    TIniFile unchanged(path_);
    unchanged.ReadString("A", "x", "");
    ::chmod(path_.c_str(), 0444);  // a replacement would now fail
  }
  EXPECT_EQ(Bytes(), "[A]\r\nx=5\r\n");
  EXPECT_EQ(Entries(), (Strings{"ustawienia.ini"}));
}

// A stray carriage return ("\r\r\n" line ends) stayed in the value and was
// refused when the value was written back, so one damaged key stopped the
// writing of the keys after it.
TEST_F(IniFileTest, StrayCarriageReturnIsDroppedOnReadingSoTheValueCanBeWrittenBack) {
  Put("[A]\r\nx=1\r\r\ny=p\rq\r\n[B\r]\r\r\nz=C:\\a\r\r\n");
  TIniFile ini(path_);
  EXPECT_EQ(ini.ReadString("A", "x", ""), "1");
  EXPECT_EQ(ini.ReadString("A", "y", ""), "pq");
  EXPECT_EQ(ini.ReadString("B", "z", ""), "C:\\a");
  for (const std::string& section : ini.ReadSections())
    for (const std::string& key : ini.ReadSection(section))
      EXPECT_NO_THROW(ini.WriteString(section, key, ini.ReadString(section, key, "")));
  ini.WriteString("A", "x", "2");
  ini.UpdateFile();
  EXPECT_EQ(Bytes(), "[A]\r\nx=2\r\ny=pq\r\n[B]\r\nz=C:\\a\r\n");
}

// A header without a name ("[]" or a lone "[") was listed as a section ""
// that no write could take, so its values could never be written back.
TEST_F(IniFileTest, SectionWithoutANameIsNotListedAndItsLinesAreKept) {
  for (const char* header : {"[]", "[", "[ ]"}) {
    Put(std::string("[A]\r\nx=1\r\n") + header + "\r\nk=v\r\n");
    TIniFile ini(path_);
    EXPECT_EQ(ini.ReadSections(), (Strings{"A"})) << header;
    EXPECT_EQ(ini.ReadString("", "k", "none"), "none") << header;
    EXPECT_EQ(ini.ReadSection("A"), (Strings{"x"})) << header;  // the header ends [A]
    ini.WriteString("A", "x", "2");
    ini.UpdateFile();
    EXPECT_EQ(Bytes(), std::string("[A]\r\nx=2\r\n") + header + "\r\nk=v\r\n") << header;
  }
}

}  // namespace
