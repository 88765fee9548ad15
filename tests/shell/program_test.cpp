// The program itself, run without a screen: a window that would have asked
// the user never aborts it. It says on stderr what it would have asked, takes
// the window's default answer and ends normally, with exit code 1 when it
// could not do its job.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "mkexamples/exampleset.h"
#include "platform/files/inifile.h"
#include "common/scratch_folder.h"

namespace {

struct TRun {
  int exitCode = -1;  // -1: did not end normally (a signal, or no end in time)
  std::string errors;
};

// Runs a copy of the program that lives in bin/ of folder, inside work/ of
// folder, with no display; its stderr is kept.
TRun RunWithoutScreen(const ScratchFolder& folder) {
  const std::string program = folder / "bin/tolvika";
  const std::string work = folder / "work";
  const std::string errors = folder / "errors.txt";
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(work.c_str()) != 0) ::_exit(126);
    const int fd = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) ::_exit(126);
    ::dup2(fd, 2);
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
    ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  TRun run;
  if (pid < 0) return run;
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      run.errors = ScratchFolder::Get(errors);
      return run;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
  run.errors = ScratchFolder::Get(errors);
  return run;
}

class ProgramWithoutScreen : public ::testing::Test {
protected:
  void SetUp() override {
    namespace fs = std::filesystem;
    fs::create_directories(folder / "bin");
    fs::create_directories(folder / "work");
    fs::copy_file(TOLVIKA_PROGRAM, folder / "bin/tolvika");
  }
  ScratchFolder folder;
};

// Two profile folders and none of the login's name: the profile window
// would ask; without a screen it takes its default (OK on the first listed
// profile) and the program goes on to its end.
TEST_F(ProgramWithoutScreen, ProfileWindowTakesItsDefaultInsteadOfAborting) {
  std::filesystem::create_directories(folder / "bin/users/profil_a");
  std::filesystem::create_directories(folder / "bin/users/profil_b");
  const TRun run = RunWithoutScreen(folder);
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_NE(run.errors.find("\"Profile użytkownika\""), std::string::npos) << run.errors;
  EXPECT_NE(run.errors.find("Brak ekranu"), std::string::npos) << run.errors;
}

// A settings file that cannot be written at the end: the message box says
// so on stderr, and the exit code tells that the settings were not saved.
TEST_F(ProgramWithoutScreen, UnwritableSettingsFileEndsWithExitCodeOne) {
  std::filesystem::create_directories(folder / "work/tolvika.ini");  // a folder: no file can be written there
  const TRun run = RunWithoutScreen(folder);
  EXPECT_EQ(run.exitCode, 1) << run.errors;
  EXPECT_NE(run.errors.find("Problem podczas zapisu do pliku"), std::string::npos) << run.errors;
}

// The example database set in the work folder (its fonts beside the
// program): without a screen the program opens the set it had open last,
// or the first one "baza.ini" names, draws it, says that the map window is
// not shown and ends normally; the set it opened is remembered.
TEST_F(ProgramWithoutScreen, OpensTheExampleSetAndEndsCleanly) {
  namespace fs = std::filesystem;
  const std::string work = folder / "work";
  BuildExampleSet(work);
  for (const char* font : {"litt.ch1", "font.ch1"}) fs::copy_file(fs::path(work) / font, fs::path(folder / "bin") / font);
  {
    // A second set over the same catalogues.
    platform::TIniFile bazy(folder / "work/baza.ini");
    bazy.WriteString("baza", "Druga", "Druga baza");
    for (const std::string& key : bazy.ReadSection("Przyklad"))
      bazy.WriteString("Druga", key, bazy.ReadString("Przyklad", key, ""));
    bazy.UpdateFile();
  }
  struct Case {
    const char* last;
    const char* opened;
  };
  for (const Case& c : {Case{"", "Przyklad"}, Case{"Druga", "Druga"}, Case{"Usunieta", "Przyklad"}}) {
    {
      platform::TIniFile ini(folder / "work/tolvika.ini");
      ini.WriteString("Okno", "Poprzednio otwarte", c.last);
      ini.WriteInteger("Okno", "RozmiarX", 400);
      ini.WriteInteger("Okno", "RozmiarY", 300);
      ini.UpdateFile();
    }
    const TRun run = RunWithoutScreen(folder);
    EXPECT_EQ(run.exitCode, 0) << c.last << ": " << run.errors;
    EXPECT_NE(run.errors.find("Brak ekranu: okno mapy nie zostanie pokazane."), std::string::npos) << run.errors;
    platform::TIniFile ini(folder / "work/tolvika.ini");
    EXPECT_EQ(ini.ReadString("Okno", "Poprzednio otwarte", ""), c.opened) << c.last;
  }
}

// The example set with one layer emptied and one catalogue folder gone:
// without a screen the program says on stderr what it could not read,
// naming the file and the folder, and ends with 1 as no one saw it.
TEST_F(ProgramWithoutScreen, ADamagedSetIsToldOnStderrAndEndsWithExitCodeOne) {
  namespace fs = std::filesystem;
  const std::string work = folder / "work";
  BuildExampleSet(work);
  for (const char* font : {"litt.ch1", "font.ch1"}) fs::copy_file(fs::path(work) / font, fs::path(folder / "bin") / font);
  fs::resize_file(fs::path(work) / "mapa/ewid/BUDYNKI-.--l", 0);
  fs::remove_all(fs::path(work) / "mapa/sytuacja");
  const TRun run = RunWithoutScreen(folder);
  EXPECT_EQ(run.exitCode, 1) << run.errors;
  EXPECT_NE(run.errors.find("\"Uszkodzone warstwy\""), std::string::npos) << run.errors;
  EXPECT_NE(run.errors.find("mapa/ewid/BUDYNKI-.--l: Błąd podczas odczytu nagłówka - warstwa pominięta"),
            std::string::npos)
      << run.errors;
  EXPECT_NE(run.errors.find("Brak katalogu mapa/sytuacja/"), std::string::npos) << run.errors;
  EXPECT_NE(run.errors.find("Brak ekranu: okno mapy nie zostanie pokazane."), std::string::npos) << run.errors;
}

// A folder without a database set: the window would be empty; the program
// says so and ends normally.
TEST_F(ProgramWithoutScreen, WithoutADatabaseSetTheWindowIsEmpty) {
  const TRun run = RunWithoutScreen(folder);
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_NE(run.errors.find("nie wymienia żadnej bazy warstw"), std::string::npos) << run.errors;
}

}  // namespace
