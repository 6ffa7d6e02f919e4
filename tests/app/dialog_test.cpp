// The dialog layer: modal runs, routing of commands and timers, the data exchange, owners,
// and handlers that throw. Each dialog scripts itself from its own timer ticks.
#include "platform/dialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/code_pages.h"

namespace {

constexpr int kTemplate = 200;
constexpr int kEdit = 300;
constexpr int kCheck = 301;
constexpr int kFirstRadio = 302;
constexpr int kSecondRadio = 303;

// A dialog whose behaviour the test supplies: steps run one per timer tick.
class ScriptedDialog : public platform::Dialog {
 public:
  explicit ScriptedDialog(int templateId = kTemplate) : platform::Dialog(templateId) {}

  std::string m_strText = "initial";
  int m_bChecked = 1;
  int m_nRadio = 1;
  std::vector<std::function<void(ScriptedDialog&)>> steps;
  std::vector<std::pair<int, int>> commands;  // (id, notification) in arrival order
  std::vector<int> clicks;                    // ids given to OnButtonClicked
  std::vector<UINT_PTR> ticks;
  int exchanges = 0;
  int okCalls = 0;
  HWND owner = nullptr;

 protected:
  void DoDataExchange(platform::DataExchange& dx) override {
    ++exchanges;
    dx.Text(kEdit, m_strText);
    dx.Check(kCheck, m_bChecked);
    dx.Radio(kFirstRadio, kSecondRadio, m_nRadio);
  }
  BOOL OnInitDialog() override {
    platform::Dialog::OnInitDialog();
    owner = ::GetWindow(Handle(), GW_OWNER);
    ::SetTimer(Handle(), 7, 10, nullptr);
    return TRUE;
  }
  void OnCommand(int id, int code, HWND control) override {
    commands.emplace_back(id, code);
    platform::Dialog::OnCommand(id, code, control);
  }
  void OnButtonClicked(int id) override {
    clicks.push_back(id);
    platform::Dialog::OnButtonClicked(id);
  }
  void OnOK() override {
    ++okCalls;
    platform::Dialog::OnOK();
  }
  void OnTimer(UINT_PTR id) override {
    ticks.push_back(id);
    if (next_ < steps.size()) {
      auto step = steps[next_++];
      step(*this);
    }
  }

 private:
  std::size_t next_ = 0;
};

TEST(DialogLayer, AMissingTemplateCannotRun) {
  ScriptedDialog dialog(4242);
  EXPECT_EQ(dialog.DoModal(), -1);
  EXPECT_EQ(dialog.Handle(), nullptr);
}

TEST(DialogLayer, ExchangeRunsBothWaysAndOkSavesBeforeEnding) {
  ScriptedDialog dialog;
  std::string shownAtStart;
  int checkedAtStart = -1;
  UINT secondAtStart = BST_UNCHECKED;
  dialog.steps = {
      [&](ScriptedDialog& d) {
        char text[64] = {};
        ::GetDlgItemTextA(d.Handle(), kEdit, text, sizeof text);
        shownAtStart = text;
        checkedAtStart = ::IsDlgButtonChecked(d.Handle(), kCheck);
        secondAtStart = ::IsDlgButtonChecked(d.Handle(), kSecondRadio);
        ::SetDlgItemTextA(d.Handle(), kEdit, "typed");
        ::CheckDlgButton(d.Handle(), kCheck, BST_UNCHECKED);
        ::CheckRadioButton(d.Handle(), kFirstRadio, kSecondRadio, kFirstRadio);
      },
      [](ScriptedDialog& d) { ::PostMessageA(d.Handle(), WM_COMMAND, IDOK, 0); },
  };
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(shownAtStart, "initial");
  EXPECT_EQ(checkedAtStart, BST_CHECKED);
  EXPECT_EQ(secondAtStart, static_cast<UINT>(BST_CHECKED)) << "the group shows position 1";
  EXPECT_EQ(dialog.okCalls, 1);
  EXPECT_EQ(dialog.m_strText, "typed");
  EXPECT_EQ(dialog.m_bChecked, 0);
  EXPECT_EQ(dialog.m_nRadio, 0) << "the group saves the position checked";
  EXPECT_EQ(dialog.Handle(), nullptr) << "the window is gone after the run";
}

TEST(DialogLayer, UnchangedTextIsNotSetAgain) {
  ScriptedDialog dialog;
  std::size_t changesBefore = 0;
  dialog.steps = {
      [&](ScriptedDialog& d) {
        changesBefore = d.commands.size();
        d.UpdateData(false);  // same text: no EN_CHANGE
        d.UpdateData(false);
        d.m_strText = "other";
        d.UpdateData(false);  // new text: one EN_CHANGE
      },
      [](ScriptedDialog& d) { d.EndDialog(IDCANCEL); },
  };
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  std::size_t changes = 0;
  for (std::size_t i = changesBefore; i < dialog.commands.size(); ++i)
    if (dialog.commands[i] == std::make_pair(kEdit, static_cast<int>(EN_CHANGE))) ++changes;
  EXPECT_EQ(changes, 1u);
}

TEST(DialogLayer, CancelCommandsAndTimersReachTheirHandlers) {
  ScriptedDialog dialog;
  dialog.steps = {
      [](ScriptedDialog& d) {
        ::PostMessageA(d.Handle(), WM_COMMAND, MAKEWPARAM(kCheck, BN_CLICKED), 0);
      },
      // The close box arrives as IDCANCEL.
      [](ScriptedDialog& d) { ::PostMessageA(d.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); },
  };
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  ASSERT_GE(dialog.ticks.size(), 2u);
  EXPECT_EQ(dialog.ticks.front(), 7u);
  // The click, then the close box's IDCANCEL (focus notifications may come between).
  const auto& c = dialog.commands;
  auto click = std::find(c.begin(), c.end(), std::make_pair(kCheck, static_cast<int>(BN_CLICKED)));
  ASSERT_NE(click, c.end());
  auto cancel = std::find_if(click, c.end(), [](const auto& e) { return e.first == IDCANCEL; });
  EXPECT_NE(cancel, c.end());
  EXPECT_EQ(dialog.okCalls, 0);
  // Clicks, and only clicks, reach the button handler: the check box's, then Cancel.
  EXPECT_EQ(dialog.clicks, (std::vector<int>{kCheck, IDCANCEL}));
}

TEST(DialogLayer, AHandlerThatThrowsLeavesTheDialogRunning) {
  ScriptedDialog dialog;
  dialog.steps = {
      [](ScriptedDialog&) { throw std::runtime_error("handler failed"); },
      [](ScriptedDialog& d) { d.EndDialog(42); },
  };
  EXPECT_EQ(dialog.DoModal(), 42);
  EXPECT_GE(dialog.ticks.size(), 2u);
}

TEST(DialogLayer, AParentlessDialogIsOwnedByTheMainDialog) {
  ScriptedDialog main;
  HWND childOwner = reinterpret_cast<HWND>(1);
  HWND mainWindow = nullptr;
  main.steps = {
      [&](ScriptedDialog& d) {
        ScriptedDialog child;
        child.steps = {[](ScriptedDialog& c) { c.EndDialog(IDOK); }};
        EXPECT_EQ(child.DoModal(), IDOK);
        childOwner = child.owner;
        mainWindow = d.Handle();
        d.EndDialog(IDOK);
      },
  };
  platform::Dialog::SetMainDialog(&main);
  EXPECT_EQ(main.DoModal(), IDOK);
  EXPECT_EQ(main.owner, nullptr);
  platform::Dialog::SetMainDialog(nullptr);
  EXPECT_NE(mainWindow, nullptr);
  EXPECT_EQ(childOwner, mainWindow);
}

// A typed name is saved in the code page exactly, or reported: a character the code page lacks
// (older Windows run the dialog in a legacy one) becomes '?', never a look-alike that would name
// another folder, and the exchange says so.
TEST(DialogLayer, ATextTheCodePageLacksIsReportedNeverBent) {
  const UINT acp = ::GetACP();
  if (!tvex_test::FolderName::Known(acp)) GTEST_SKIP() << "no names known for code page " << acp;
  for (const tvex_test::FolderName& name : tvex_test::kFolderNames) {
    const std::optional<std::string> bytes = name.In(acp);
    ScriptedDialog dialog;
    bool exact = true;
    std::string saved;
    dialog.steps = {[&](ScriptedDialog& d) {
      ::SetDlgItemTextW(d.Handle(), kEdit, (std::wstring(L"C:\\") + name.wide).c_str());
      platform::DataExchange dx(d.Handle(), true);
      exact = dx.Text(kEdit, saved);
      // Shown again unchanged: the field keeps what was typed.
      d.m_strText = saved;
      d.UpdateData(false);
      wchar_t shown[64] = {};
      ::GetDlgItemTextW(d.Handle(), kEdit, shown, 64);
      EXPECT_EQ(std::wstring(shown), std::wstring(L"C:\\") + name.wide);
      d.EndDialog(IDOK);
    }};
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(exact, bytes.has_value()) << saved;
    if (bytes) {
      EXPECT_EQ(saved, "C:\\" + *bytes);
    } else {
      EXPECT_NE(saved.find('?'), std::string::npos) << saved;
      EXPECT_EQ(saved.find_first_of("Loze"), std::string::npos) << saved;
    }
  }
}

}  // namespace
