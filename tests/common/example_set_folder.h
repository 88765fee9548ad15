// The example database set built into a folder that becomes the current
// folder for a test (the set names its files relative to its folder), with
// the stroke fonts read from it and the layer objects' record classes
// registered. Going, it undoes all three. A fixture makes one in SetUp and
// lets it go last in TearDown, after whatever still writes relative to the
// set (the settings file of the global configuration). Test thread only.
#pragma once

#include <filesystem>
#include <string>

#include "common/layer_classes.h"
#include "drawing/strokefont.h"
#include "layers/store/layerfile.h"
#include "mkexamples/exampleset.h"
#include "objects/layerobjects.h"

class ExampleSetFolder {
 public:
  explicit ExampleSetFolder(const std::string& Folder) : saved_(std::filesystem::current_path()) {
    SetDefaultLayerLockWait(nullptr);
    BuildExampleSet(Folder);
    std::filesystem::current_path(Folder);
    FontManager().SetFolder(Folder);
    RegisterLayerObjectClasses();
  }
  ~ExampleSetFolder() {
    UnregisterLayerObjectClasses();
    FontManager().SetFolder("");
    std::filesystem::current_path(saved_);
  }
  ExampleSetFolder(const ExampleSetFolder&) = delete;
  ExampleSetFolder& operator=(const ExampleSetFolder&) = delete;

 private:
  std::filesystem::path saved_;
};
