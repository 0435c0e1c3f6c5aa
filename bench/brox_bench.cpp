// Start-up cost of brox.exe: starting it (and through it a Java runtime that
// ends at once) against starting that runtime directly, and against a bare
// launcher that only starts the runtime and waits, interleaved.
//   brox_bench [runs]
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::wstring own_folder() {
  wchar_t path[MAX_PATH];
  std::wstring own(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
  return own.substr(0, own.rfind(L'\\') + 1);
}

// Milliseconds from CreateProcess until the program has ended, or -1.
double time_run(const std::wstring& program, std::wstring command) {
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return -1;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  QueryPerformanceCounter(&end);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<double>(end.QuadPart - start.QuadPart) * 1000.0 /
         static_cast<double>(frequency.QuadPart);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int runs = argc > 1 ? _wtoi(argv[1]) : 100;
  if (runs < 1) runs = 100;
  std::wstring built = own_folder();
  std::wstring brox = built + L"" BROX_EXE_FROM_BENCH;
  wchar_t temp[MAX_PATH];
  std::wstring folder(temp, GetTempPathW(MAX_PATH, temp));
  folder += L"brox_bench_" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(folder.c_str(), nullptr);
  std::wstring java = folder + L"\\java.exe";
  if (!CopyFileW((built + L"" JAVA_STAND_IN).c_str(), java.c_str(), FALSE)) {
    std::fprintf(stderr, "brox_bench: cannot copy the Java stand-in\n");
    return 2;
  }
  // brox finds java.exe on PATH, as on a user's machine.
  wchar_t path[32768];
  DWORD length = GetEnvironmentVariableW(L"PATH", path, 32768);
  SetEnvironmentVariableW(L"PATH", (folder + L";" + std::wstring(path, length)).c_str());

  const std::wstring brox_line = L"\"" + brox + L"\" import=C:\\a.jar D:\\dev\\Game.jar";
  const std::wstring bare = built + L"" BARE_LAUNCHER;
  const std::wstring bare_line = L"bare import=C:\\a.jar D:\\dev\\Game.jar";
  const std::wstring java_line = L"java.exe -Xmx256m -classpath x Main import=C:\\a.jar";
  double brox_ms = 0;
  double java_ms = 0;
  double bare_ms = 0;
  for (int i = -5; i < runs; ++i) {  // five rounds of warm-up
    double with_brox = time_run(brox, brox_line);
    double direct = time_run(java, java_line);
    double with_bare = time_run(bare, bare_line);
    if (with_brox < 0 || direct < 0 || with_bare < 0) {
      std::fprintf(stderr, "brox_bench: a program did not start\n");
      return 2;
    }
    if (i >= 0) {
      brox_ms += with_brox;
      java_ms += direct;
      bare_ms += with_bare;
    }
  }
  DeleteFileW(java.c_str());
  RemoveDirectoryW(folder.c_str());
  brox_ms /= runs;
  java_ms /= runs;
  bare_ms /= runs;
  std::printf("runs: %d each, interleaved\n", runs);
  std::printf("through brox: %.2f ms\n", brox_ms);
  std::printf("runtime alone: %.2f ms\n", java_ms);
  std::printf("through a bare launcher: %.2f ms\n", bare_ms);
  std::printf("ratio: %.2f (bare launcher: %.2f)\n", brox_ms / java_ms, bare_ms / java_ms);
  return 0;
}
