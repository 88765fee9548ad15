// The profile the program works with: the settings file "tolvika.ini" and
// the database-configuration file "baza.ini" of the user's folder under
// "users" in the program folder, chosen once per run. Without a "users"
// folder, or with an empty one, the bare names are used (the current
// directory).
//
// GUI thread only (the choice may show the profile window).
#pragma once

#include <functional>
#include <string>
#include <vector>

struct TProfile {
  // Path (or bare name) of the settings file; empty before the choice.
  std::string IniFile;
  // Path (or bare name) of the database-configuration file.
  std::string BazaFile;
};

// Where the choice looks and how it asks the user.
struct TProfileEnvironment {
  // The folder of the program's executable; empty means the real one.
  std::string ProgramFolder;
  // The user's login name; used only when UseLoginName is false.
  std::string UserName;
  bool UseLoginName = true;
  // Shows the profile window ("Profile użytkownika") over Names with the
  // first one selected; returns the index taken with OK, or -1 when the
  // window was closed otherwise. Unset: `TProfileWnd` (`ShowProfileWnd`).
  std::function<int(const std::vector<std::string>& Names)> PickProfile;
  // Asks the application to end once start-up reaches the message loop.
  // Unset: the platform application's Terminate.
  std::function<void()> Terminate;
};

// The environment ChooseProfile uses; start-up code and tests may change it
// before the first call.
TProfileEnvironment& ProfileEnvironment();

// The profile of this run: the first call chooses (and may show the profile
// window), every later call returns the same answer.
TProfile ChooseProfile();
// Forgets the answer (at program end).
void ClearProfile();

// The choice itself, made afresh in Environment every time.
TProfile ChooseProfileIn(const TProfileEnvironment& Environment);
