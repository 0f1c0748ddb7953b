#include "store/Reasons.h"

#include <cerrno>

namespace {

// Windows says EACCES too for a file another program holds open.
const FileFailure kInUse = {
    {"ほかのソフトで開いているか、使う権限がありません",
     "another program has it open, or there is no permission"},
    {"メモ帳や表計算ソフトで開いていれば閉じてください。読み取り専用なら、書き込めるようにして"
     "ください。",
     "Close any program that has it open (an editor, a spreadsheet); if it is read-only, make it "
     "writable."}};
const FileFailure kNotFound = {
    {"ファイルかフォルダが見つかりません", "file or folder not found"},
    {"USB メモリが外れていないか、フォルダを動かしたり消したりしていないかを確かめてください。",
     "Check that the USB stick is plugged in and that no folder was moved or deleted."}};
const FileFailure kReadOnlyDisk = {
    {"書き込めない場所にあります", "on a disk or folder that cannot be written"},
    {"書き込めるフォルダに移すか、USB メモリやカードの書き込み禁止を外してください。",
     "Move it to a folder that can be written, or unlock the USB stick or card."}};
const FileFailure kDiskFull = {
    {"ディスクがいっぱいです", "the disk is full"},
    {"いらないファイルを消して、ディスクや USB メモリに空きを作ってください。",
     "Delete files you do not need, to make room on the disk or USB stick."}};
const FileFailure kFolderInTheWay = {
    {"同じ名前のフォルダがあります", "a folder of the same name is in the way"},
    {"そのフォルダを別の場所に移してください。", "Move that folder somewhere else."}};
const FileFailure kFileInThePath = {
    {"途中にフォルダでないものがあります", "a part of the path is not a folder"},
    {"場所の途中にある、フォルダと同じ名前のファイルを別の場所に移してください。",
     "Move the file that stands where a folder of that name should be."}};
const FileFailure kDamaged = {
    {"内容が壊れています", "its content is damaged"},
    {"バックアップがあれば戻してください。", "Restore a backup if there is one."}};
// What the game's own opening says of a link, a named pipe or a device under its name.
const FileFailure kNotPlain = {{"ふつうのファイルではありません", "not a plain file"},
                               {"同じ名前のリンクや特別なファイルを別の場所に移してください。",
                                "Move the link or special file of that name somewhere else."}};
const FileFailure kFailed = {{"読み書きに失敗しました", "reading or writing failed"},
                             {"ディスクや USB メモリがきちんとつながっているかを確かめてください。",
                              "Check that the disk or USB stick is properly connected."}};

}  // namespace

const FileFailure& FileFailureFor(int error) {
  switch (error) {
    case ENOENT:
      return kNotFound;
    case EACCES:
    case EPERM:
      return kInUse;
    case EROFS:
      return kReadOnlyDisk;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
      return kDiskFull;
    case EISDIR:
      return kFolderInTheWay;
    case ELOOP:
      return kNotPlain;
    case ENOTDIR:
      return kFileInThePath;
    case kContentDamaged:
      return kDamaged;
    default:
      return kFailed;
  }
}

const std::vector<const FileFailure*>& AllFileFailures() {
  static const std::vector<const FileFailure*> all = {&kInUse,    &kNotFound,       &kReadOnlyDisk,
                                                      &kDiskFull, &kFolderInTheWay, &kFileInThePath,
                                                      &kDamaged,  &kNotPlain,       &kFailed};
  return all;
}
