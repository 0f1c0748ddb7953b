#include "store/Reasons.h"

#include <cerrno>

const char* JapaneseReason(int error) {
  switch (error) {
    case ENOENT:
      return "ありません";
    case EACCES:
    case EPERM:
      return "使うことが許されていません";
    case EROFS:
      return "書き込めない場所にあります";
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
      return "ディスクがいっぱいです";
    case EISDIR:
      return "同じ名前のフォルダがあります";
    default:
      return "読み書きに失敗しました";
  }
}
