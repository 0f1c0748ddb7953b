#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "packaging/Autostart.h"
#include "packaging/OperatorText.h"
#include "platform/Language.h"
#include "platform/win/WinHost.h"

namespace booth {
namespace {

using plat::win::Utf8;
using plat::win::Wide;

// The shortcut in the user's Startup folder; empty when the folder is not known.
std::wstring ShortcutPath() {
  wchar_t folder[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_STARTUP, nullptr, SHGFP_TYPE_CURRENT, folder)))
    return {};
  return std::wstring(folder) + L"\\Kavrel booth.lnk";
}

std::string Failure(const std::wstring& path, HRESULT result) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
  return OperatorText({"スタートアップのショートカット {} を置けません（エラー {}）。"
                       "スタートアップのフォルダに書けるか確かめてください",
                       "cannot put the Startup shortcut {} in place (error {}); check that the "
                       "Startup folder may be written"},
                      {Utf8(path), code});
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
  said = OperatorText({"ログインしたときにブースモードで始まるよう、{} を置きました。"
                       "最初のメッセージは 30 秒たつと自動で閉じ、ゲームが始まります"
                       "（やめるには kavrel-booth --autostart off）",
                       "the booth starts in booth mode when the session begins: {} is in "
                       "place; its first box starts the game by itself after 30 seconds "
                       "(kavrel-booth --autostart off takes it away)"},
                      {Utf8(path)});
  return true;
}

bool RemoveAutostart(std::string& said) {
  const std::wstring path = ShortcutPath();
  if (!path.empty() && !DeleteFileW(path.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) {
    said = Failure(path, HRESULT_FROM_WIN32(GetLastError()));
    return false;
  }
  said = OperatorText({"ログインしたときにゲームが始まることはもうありません（{} はありません）",
                       "the booth no longer starts when the session begins ({} is gone)"},
                      {Utf8(path)});
  return true;
}

}  // namespace booth
