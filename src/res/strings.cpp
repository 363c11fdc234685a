// The string table. This file is compiled with -fexec-charset=CP932: the literals below are
// written in UTF-8 and stored as code page 932 bytes.
#include "res/strings.h"

#include <map>
#include <stdexcept>

namespace ssi::res {

const char kWindowFontName[] = "ＭＳ ゴシック";

namespace {
const std::map<uint16_t, std::string>& Table() {
  static const std::map<uint16_t, std::string> table = {
      {kInstallFailed, "インストールに失敗しました。インストーラを再作成してください。"},
      {kOpenDisplayProperties, "画面のプロパティを開いてスクリーンセーバーを選択する"},
      {kWritingSaverFile, "スクリーンセーバーファイルの書出し中..."},
      {kUnzipError, "Zip解凍エラー：メモリへの展開ができません"},
      {kTavrinError, "Tavrinエラー = "},
      {kCannotCloseFile, "ファイルを閉じることができません"},
      {kSaverDataReadError, "スクリーンセーバーのデータファイル読込みエラー"},
      {kSaverDataFileReadError, "スクリーンセーバーデータファイルの読込みエラー"},
      {kSaverDataInUse, "スクリーンセーバーデータファイルが既に使用されています"},
      {kInstallError, "インストールエラー: "},
      {kInstallerCorrupt, "インストーラが破損しています"},
      {kFileBusy, "ファイルがビジー状態か他のアプリケーションによって開かれてます"},
      {kSaverFileBusy, "スクリーンセーバーファイルがビジーです"},
      {kInstallAgainAdvice,
       "再度インストールしてください。このメッセージが再び表示される場合は、システム管理者に権限を"
       "変更してもらってください。"},
      {kFileProblem, "ファイルに問題あり"},
      {kScreenSaverWord, "スクリーンセーバー"},
      {kDataFolderSuffix, " dir\\"},
      {kInstallWithLicence, "インストール"},
      {kCancel, "キャンセル"},
      {kClose, "閉じる"},
      {kInstall, "インストール"},
  };
  return table;
}
}  // namespace

const std::string& Str(StringId id) { return Table().at(id); }

}  // namespace ssi::res
