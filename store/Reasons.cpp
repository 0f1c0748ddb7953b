#include "store/Reasons.h"

#include <cerrno>

plat::Bilingual FileFailureReason(int error) {
  switch (error) {
    case ENOENT:
      return {"ファイルかフォルダが見つかりません", "file or folder not found"};
    case EACCES:
    case EPERM:
      // Windows says this too for a file another program holds open.
      return {"使えません（ほかのソフトで開いているか、権限がありません）",
              "cannot be used (another program has it open, or no permission)"};
    case EROFS:
      return {"書き込めない場所にあります", "on a disk or folder that cannot be written"};
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
      return {"ディスクがいっぱいです", "the disk is full"};
    case EISDIR:
      return {"同じ名前のフォルダがあります", "a folder of the same name is in the way"};
    case ELOOP:
      // What the game's own opening says of a link, a named pipe or a device under its name.
      return {"ふつうのファイルではありません", "not a plain file"};
    case ENOTDIR:
      return {"途中にフォルダでないものがあります", "a part of the path is not a folder"};
    default:
      return {"読み書きに失敗しました", "reading or writing failed"};
  }
}
