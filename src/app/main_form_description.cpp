// The form description of the main window: its components, their
// properties, and the handler of each menu item.
#include "app/main_form.hpp"

#include <QColor>

#include "ui/fonts.hpp"
#include "ui/text.hpp"

namespace zunkaro {
namespace {

// The texts of the form, in Shift-JIS.
constexpr std::string_view kCaption = "Zunkaro";
// "ＭＳ Ｐゴシック"
constexpr std::string_view kFormFont = "\x82l\x82r \x82o\x83S\x83V\x83\x62\x83N";
// "ＭＳ ゴシック"
constexpr std::string_view kViewFont = "\x82l\x82r \x83S\x83V\x83\x62\x83N";
constexpr int kFontPixels = 12;

// "ﾌｧｲﾙ(&F)"
constexpr std::string_view kFileMenu = "\xcc\xa7\xb2\xd9(&F)";
// "ﾛｸﾞﾌｧｲﾙを開く(&O)"
constexpr std::string_view kOpenLog = "\xdb\xb8\xde\xcc\xa7\xb2\xd9\x82\xf0\x8aJ\x82\xad(&O)";
// "集計結果をﾌｧｲﾙに保存(&S)"
constexpr std::string_view kSaveReport =
    "\x8fW\x8cv\x8c\x8b\x89\xca\x82\xf0\xcc\xa7\xb2\xd9\x82\xc9\x95\xdb\x91\xb6(&S)";
constexpr std::string_view kSeparator = "-";
// "終了(&X)"
constexpr std::string_view kExit = "\x8fI\x97\xb9(&X)";
// "ﾍﾙﾌﾟ(&H)"
constexpr std::string_view kHelpMenu = "\xcd\xd9\xcc\xdf(&H)";
// "目次(&C)"
constexpr std::string_view kContents = "\x96\xda\x8e\x9f(&C)";
// "ｷｰﾜｰﾄﾞ検索(&K)"
constexpr std::string_view kKeywordSearch = "\xb7\xb0\xdc\xb0\xc4\xde\x8c\x9f\x8d\xf5(&K)";
// "ﾊﾞｰｼﾞｮﾝ情報(&A)"
constexpr std::string_view kVersionInfo = "\xca\xde\xb0\xbc\xde\xae\xdd\x8f\xee\x95\xf1(&A)";

// "ﾛｸﾞﾌｧｲﾙを開く"
constexpr std::string_view kOpenTitle = "\xdb\xb8\xde\xcc\xa7\xb2\xd9\x82\xf0\x8aJ\x82\xad";
// "ﾛｸﾞﾌｧｲﾙ(*.log)|*.log|ﾃｷｽﾄ(*.txt)|*.txt|全てのﾌｧｲﾙ(*.*)|*.*"
constexpr std::string_view kOpenFilter =
    "\xdb\xb8\xde\xcc\xa7\xb2\xd9(*.log)|*.log|\xc3\xb7\xbd\xc4(*.txt)|*.txt|"
    "\x91S\x82\xc4\x82\xcc\xcc\xa7\xb2\xd9(*.*)|*.*";
// "集計結果をﾌｧｲﾙに保存"
constexpr std::string_view kSaveTitle =
    "\x8fW\x8cv\x8c\x8b\x89\xca\x82\xf0\xcc\xa7\xb2\xd9\x82\xc9\x95\xdb\x91\xb6";
// "ﾃｷｽﾄﾌｧｲﾙ(*.txt)|*.txt|全てのﾌｧｲﾙ(*.*)|*.*"
constexpr std::string_view kSaveFilter =
    "\xc3\xb7\xbd\xc4\xcc\xa7\xb2\xd9(*.txt)|*.txt|\x91S\x82\xc4\x82\xcc\xcc\xa7\xb2\xd9(*.*)|*.*";
// A name typed without an extension under the "*.txt" row gets ".txt".
constexpr std::string_view kSaveDefaultExt = "txt";

}  // namespace

void TForm1::CreateComponents() {
  SetCaption(ui::FromShiftJis(kCaption));
  SetBounds(220, 112, 477, 337);
  setFont(ui::MakeFont(kFormFont, kFontPixels));

  MainMenu1 = new ui::MainMenu(this);
  F1 = new ui::MenuItem(this, kFileMenu);
  KO1 = new ui::MenuItem(this, kOpenLog);
  KO1->SetOnClick(*this, &TForm1::KO1Click);
  KS1 = new ui::MenuItem(this, kSaveReport);
  KS1->SetOnClick(*this, &TForm1::KS1Click);
  N1 = new ui::MenuItem(this, kSeparator);
  KX1 = new ui::MenuItem(this, kExit);
  KX1->SetOnClick(*this, &TForm1::KX1Click);
  F1->Add(KO1);
  F1->Add(KS1);
  F1->Add(N1);
  F1->Add(KX1);

  H1 = new ui::MenuItem(this, kHelpMenu);
  KC1 = new ui::MenuItem(this, kContents);
  KC1->setEnabled(false);
  KK1 = new ui::MenuItem(this, kKeywordSearch);
  KK1->setEnabled(false);
  N3 = new ui::MenuItem(this, kSeparator);
  KA1 = new ui::MenuItem(this, kVersionInfo);
  KA1->SetOnClick(*this, &TForm1::KA1Click);
  H1->Add(KC1);
  H1->Add(KK1);
  H1->Add(N3);
  H1->Add(KA1);

  MainMenu1->Add(F1);
  MainMenu1->Add(H1);
  SetMainMenu(MainMenu1);

  OpenDialog1 = new ui::OpenDialog(*this);
  OpenDialog1->SetTitle(kOpenTitle);
  OpenDialog1->SetFilter(kOpenFilter);

  SaveDialog1 = new ui::SaveDialog(*this);
  SaveDialog1->SetTitle(kSaveTitle);
  SaveDialog1->SetFilter(kSaveFilter);
  SaveDialog1->SetDefaultExt(kSaveDefaultExt);

  // Read-only, both scroll bars, no word wrap, its own font.
  Memo1 = new ui::TextView(this);
  Memo1->setFont(ui::MakeFont(kViewFont, kFontPixels));
  Memo1->SetTextColor(Qt::black);
  Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  SetClient(Memo1);
  Memo1->setFocus();
}

}  // namespace zunkaro
