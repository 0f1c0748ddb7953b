#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "packaging/Autostart.h"
#include "platform/Language.h"

namespace booth {
namespace {

std::wstring Wide(const std::string& utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
  std::wstring out(n > 0 ? n - 1 : 0, L'\0');
  if (n > 1) MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, out.data(), n);
  return out;
}

std::string Utf8(const std::wstring& wide) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n - 1 : 0, '\0');
  if (n > 1) WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, out.data(), n, nullptr, nullptr);
  return out;
}

// The shortcut in the user's Startup folder; empty when the folder is not known.
std::wstring ShortcutPath() {
  wchar_t folder[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_STARTUP, nullptr, SHGFP_TYPE_CURRENT, folder)))
    return {};
  return std::wstring(folder) + L"\\Kavrel booth.lnk";
}

std::string Replace(std::string text, const std::string& part) {
  const size_t at = text.find("{}");
  if (at != std::string::npos) text.replace(at, 2, part);
  return text;
}

std::string Failure(const std::wstring& path, HRESULT result) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
  return Replace(plat::Say({"スタートアップのショートカット {} を置けません（エラー ",
                            "cannot put the Startup shortcut {} in place (error "}),
                 Utf8(path)) +
         code +
         plat::Say({"）。スタートアップのフォルダに書けるか確かめてください",
                    "); check that the Startup folder may be written"});
}

}  // namespace

bool InstallAutostart(const std::vector<std::string>& args, std::string& said) {
  const std::wstring path = ShortcutPath();
  wchar_t self[MAX_PATH] = {}, here[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  GetCurrentDirectoryW(MAX_PATH, here);
  std::wstring arguments;
  for (const std::string& a : args) arguments += (arguments.empty() ? L"" : L" ") + Wide(a);
  HRESULT result = path.empty() ? E_FAIL : CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const bool comStarted = SUCCEEDED(result);
  IShellLinkW* link = nullptr;
  if (SUCCEEDED(result))
    result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link));
  if (SUCCEEDED(result)) {
    link->SetPath(self);
    link->SetArguments(arguments.c_str());
    // The game keeps its files in the folder it starts in: the one the operator chose now.
    link->SetWorkingDirectory(here);
    link->SetDescription(L"Kavrel booth");
    IPersistFile* file = nullptr;
    result = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    if (SUCCEEDED(result)) {
      result = file->Save(path.c_str(), TRUE);
      file->Release();
    }
    link->Release();
  }
  if (comStarted) CoUninitialize();
  if (FAILED(result)) {
    said = Failure(path, result);
    return false;
  }
  said = Replace(plat::Say({"ログインしたときにブースのモードで始まるよう、{} を置きました"
                            "（やめるには kavrel-booth --autostart off）",
                            "the booth starts in booth mode when the session begins: {} is in "
                            "place (kavrel-booth --autostart off takes it away)"}),
                 Utf8(path));
  return true;
}

bool RemoveAutostart(std::string& said) {
  const std::wstring path = ShortcutPath();
  if (!path.empty() && !DeleteFileW(path.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) {
    said = Failure(path, HRESULT_FROM_WIN32(GetLastError()));
    return false;
  }
  said =
      Replace(plat::Say({"ログインしたときにゲームが始まることはもうありません（{} はありません）",
                         "the booth no longer starts when the session begins ({} is gone)"}),
              Utf8(path));
  return true;
}

}  // namespace booth
