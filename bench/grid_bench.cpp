// What reading a long module list costs once the tool has ended: from a
// listing of N modules in <app>dir.txt until the status pane shows it and the
// grid is filled and painted (TForm1::ShowModuleListing, then every pending
// paint of the shown main window). Timed apart:
//   pane   the status pane's load of the listing alone, painted
//   all    the whole step, pane and grid, painted
// and the memory the filled grid and pane take (committed private memory of
// the process against an empty window, the most of any run; the grid's share
// is all minus pane). Memory freed stays with the heap for the next run, so
// the memory figure is that of the first size only: give one size per run.
// Usage: grid_bench [runs [modules...]]   (default 5 runs of 10000 and 20000
// modules; the median shows)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Unit1.h"
#include "bench_support.h"
#include "kwin/text.h"

namespace {

using bench::Median;
using bench::Now;

double PrivateMiB() { return bench::CommittedKiB(GetCurrentProcess()) / 1024.0; }

// A listing laid out as the simulated handheld prints it.
std::string Listing(int modules) {
  std::string text = "Modules on the simulated handheld HX-7130, PIN 2100A7C4\r\n";
  text += "Name                     Version         Size  Type\r\n";
  char line[128];
  for (int i = 1; i <= modules; ++i) {
    std::snprintf(line, sizeof line, "%-24s %-12s%8d  %s\r\n",
                  ("app_module_" + std::to_string(i)).c_str(), "4.6.1.114", 20000 + i % 9000,
                  i % 3 ? "application" : "library");
    text += line;
  }
  text += std::string(64, '-') + "\r\n";
  text += std::to_string(modules) + " modules, 123456789 bytes; 4567890 bytes free of 33554432\r\n";
  return text;
}

void PaintAll(HWND window) {
  RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

double Most(const std::vector<double>& values) {
  return *std::max_element(values.begin(), values.end());
}

void Empty(korvane::TForm1& form) {
  form.RichEdit1.Clear();
  form.advstringgrid1.ClearAll();
  form.advstringgrid1.SetRowCount(17);
  PaintAll(form.Handle);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 5;
  std::vector<int> sizes;
  for (int i = 2; i < argc; ++i) sizes.push_back(_wtoi(argv[i]));
  if (sizes.empty()) sizes = {10000, 20000};

  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::string app =
      kwin::Narrow(temp) + "grid-bench-" + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryW(kwin::Widen(app).c_str(), nullptr);
  std::string listing = app + "dir.txt";
  try {
    korvane::TForm1 form(app);
    form.Create();
    form.Show(SW_SHOWNOACTIVATE);
    std::printf("%8s %10s %10s %10s %12s %12s\n", "modules", "pane ms", "all ms", "grid ms",
                "pane MiB", "grid MiB");
    for (int modules : sizes) {
      std::string bytes = kwin::ToCodePage(Listing(modules), CP_ACP);
      HANDLE file = CreateFileW(kwin::Widen(listing).c_str(), GENERIC_WRITE, 0, nullptr,
                                CREATE_ALWAYS, 0, nullptr);
      DWORD written = 0;
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
      CloseHandle(file);

      std::vector<double> pane, all, paneMiB, allMiB;
      for (int run = 0; run < runs; ++run) {
        Empty(form);
        double base = PrivateMiB();
        double begin = Now();
        form.RichEdit1.LoadFromFile(listing);
        PaintAll(form.Handle);
        pane.push_back((Now() - begin) * 1000);
        paneMiB.push_back(PrivateMiB() - base);

        Empty(form);
        base = PrivateMiB();
        begin = Now();
        form.ShowModuleListing();
        PaintAll(form.Handle);
        all.push_back((Now() - begin) * 1000);
        allMiB.push_back(PrivateMiB() - base);
        if (form.advstringgrid1.RowCount() != modules + 1) {
          std::fprintf(stderr, "the grid has %d rows, not %d\n", form.advstringgrid1.RowCount(),
                       modules + 1);
          return 1;
        }
      }
      std::printf("%8d %10.1f %10.1f %10.1f %12.2f %12.2f\n", modules, Median(pane), Median(all),
                  Median(all) - Median(pane), Most(paneMiB), Most(allMiB) - Most(paneMiB));
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  // The window has deleted the listing as it closed.
  RemoveDirectoryW(kwin::Widen(app).c_str());
  return 0;
}
