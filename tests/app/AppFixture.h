#pragma once
// A main window created in the test's own process, over an application
// folder of the test's own that holds a recording loader double.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Unit1.h"

namespace korvane::testing {

std::string TestProgramFolder();
std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);
std::vector<std::string> SplitLines(const std::string& text);

struct AskedBox {
  std::string text;
  std::string caption;
  UINT flags;
};

class AppFixture : public ::testing::TestWithParam<const char*> {
 protected:
  // The application folder's name is the test's parameter, or a plain one.
  void SetUp() override;
  void TearDown() override;

  // What the double prints and how it ends, for the runs that follow.
  void SetOutput(const std::string& bytes);
  void SetExitCode(int code);
  // One entry per run of the double: command line, current folder, show state.
  struct Run {
    std::string commandLine, folder;
    int show;
  };
  std::vector<Run> Runs() const;

  std::string app;  // ends with a backslash
  std::unique_ptr<TForm1> form;
  std::vector<AskedBox> asked;
  int answer = IDOK;

 private:
  std::string root_;
};

}  // namespace korvane::testing
