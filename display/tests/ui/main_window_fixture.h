#pragma once

// The main window's tests: a settings file and sample files in a temporary
// folder, and dialogs answered by the test services.

#include "plot_fixture.h"
#include "test_services.h"
#include "ui/main_window.h"
#include "ui/services.h"

class MainWindowTest : public plots::PlotTest {
 protected:
  void SetUp() override {
    PlotTest::SetUp();
    SetSettingsFilePath(dir.File("tesplore.INI"));
    SetServices(&services);
    ColorRecord = ColorPreset(PresetDefaultColor);
  }
  void TearDown() override {
    SetServices(nullptr);
    SetSettingsFilePath(std::string());
  }
  // A sample file of n samples: column c holds c + i / n for sample i.
  QString Samples(const std::string& name, int columns, int n) {
    std::vector<std::string> names;
    testfiles::Table rows(static_cast<std::size_t>(n));
    for (int c = 0; c < columns; ++c) names.push_back(std::string("v").append(std::to_string(c)));
    for (int i = 0; i < n; ++i) {
      for (int c = 0; c < columns; ++c)
        rows[static_cast<std::size_t>(i)].push_back(c + double(i) / n);
    }
    const bool sam = QString::fromStdString(name).endsWith(".sam", Qt::CaseInsensitive);
    return QString::fromStdString(dir.Write(
        name, sam ? testfiles::SamText(names, {}, rows) : testfiles::SaeText(names, rows)));
  }
  TestServices services;
};
