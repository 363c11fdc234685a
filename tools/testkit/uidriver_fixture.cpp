// A program for the UI driver's own test: two boxes from the installer's toolkit, then a main
// window that ends the program when it is closed. The exit code tells which buttons were pressed:
// 10 * (first answer + 1) + (second answer + 1).
#include "platform/win32/windows_api.h"

#include "platform/win32/win32_platform.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  ssi::win32::Win32Platform real(instance);
  ssi::Toolkit& ui = real.ui;
  int first =
      ui.ShowBox({"Error", "表示に失敗しました\r\n\r\n二行目", ssi::BoxIcon::Error, {"&Abort"}});
  int second =
      ui.ShowBox({"確認", "続けますか?", ssi::BoxIcon::Question, {"&Yes", "&No", "キャンセル"}});
  auto form = ui.CreateForm();
  form->SetCaption("メイン表示");
  form->onClose = [&ui] { ui.Terminate(); };
  form->Show();
  while (!ui.Terminated()) ui.HandleMessage();
  return 10 * (first + 1) + (second + 1);
}
