// The window-system layer: windows from templates, the context menu, the dialogs.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <memory>

#include "app/context_menu.h"
#include "app/dialogs.h"
#include "app/menu_state.h"
#include "app/template_builder.h"
#include "tests/app/qt_test_support.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(TemplateBuilder, ConvertsDialogUnitsWithTheWindowFont) {
  QWidget window;
  const DialogUnits units = DialogUnitsOf(window.font());
  ASSERT_GT(units.char_width, 0);
  ASSERT_GT(units.char_height, 0);
  EXPECT_EQ(
      DialogRectToPixels(units, 4, 8, 40, 16),
      QRect(units.char_width, units.char_height, 10 * units.char_width, 2 * units.char_height));
}

TEST(TemplateBuilder, BuildsTheMainWindowWithControlsNamedByTheirIds) {
  QWidget window;
  BuildFromTemplate(&window, *FindDialog(BuiltinResourceTables(), IDD_MAIN));
  const DialogUnits units = DialogUnitsUsed(&window);
  EXPECT_GE(units.char_width, DialogUnitsOf(window.font()).char_width);
  EXPECT_EQ(units.char_height, DialogUnitsOf(window.font()).char_height);
  EXPECT_EQ(window.windowTitle(), "GPS");
  EXPECT_EQ(window.size(), DialogRectToPixels(units, 0, 0, 135, 65).size());
  for (int id = 301; id <= 306; ++id) {
    auto* edit = FindControlAs<QLineEdit>(&window, id);
    ASSERT_NE(edit, nullptr) << id;
    EXPECT_TRUE(edit->isReadOnly());
    EXPECT_TRUE(edit->text().isEmpty());
  }
  EXPECT_EQ(FindControl(&window, 303)->geometry(), DialogRectToPixels(units, 41, 25, 42, 15));
  EXPECT_EQ(FindControl(&window, 306)->geometry(), DialogRectToPixels(units, 88, 45, 42, 15));
  QStringList labels;
  for (const QLabel* label : window.findChildren<QLabel*>())
    labels << label->text();
  EXPECT_EQ(labels, (QStringList{"UTC/Alt.", "Position", "UTM"}));
}

TEST(TemplateBuilder, BuildsTheConfigDialogLists) {
  QWidget dialog;
  BuildFromTemplate(&dialog, *FindDialog(BuiltinResourceTables(), IDD_CONFIG));
  EXPECT_EQ(dialog.windowTitle(), "Config");
  for (int id = 407; id <= 411; ++id) {
    auto* list = FindControlAs<QComboBox>(&dialog, id);
    ASSERT_NE(list, nullptr) << id;
    EXPECT_FALSE(list->isEditable());
    EXPECT_GE(list->maxVisibleItems(), 1);
  }
  EXPECT_EQ(FindControlAs<QPushButton>(&dialog, IDOK)->text(), "O&K");
  EXPECT_EQ(FindControlAs<QPushButton>(&dialog, IDCANCEL)->text(), "&Cancel");
}

TEST(ContextMenu, EnablesTheCommandsOfTheMenuState) {
  const ResourceModule module = ProgramResourceModule();
  std::unique_ptr<QMenu> menu(BuildContextMenu(module, kMenuStateInitial, nullptr));
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->title(), "&Port");
  QStringList texts;
  QList<int> enabled;
  for (const QAction* action : menu->actions()) {
    texts << action->text();
    if (action->isEnabled()) enabled << action->data().toInt();
  }
  EXPECT_EQ(texts, (QStringList{"&Start", "St&op", "&Configure", "&Display off", "Record to &GPX",
                                "Stop &recording", "E&xit"}));
  EXPECT_EQ(enabled, (QList<int>{603, 605, 606, 607, 610}));

  // Display off has no bit: it stays enabled when every bit is clear.
  menu.reset(BuildContextMenu(module, 0, nullptr));
  enabled.clear();
  for (const QAction* action : menu->actions()) {
    if (action->isEnabled()) enabled << action->data().toInt();
  }
  EXPECT_EQ(enabled, QList<int>{606});
}

TEST(ContextMenu, ReturnsTheChosenCommandOrNone) {
  QWidget owner;
  owner.show();
  const ResourceModule module = ProgramResourceModule();
  ChooseFromNextMenu(607);
  EXPECT_EQ(RunContextMenu(&owner, module, kMenuStateInitial, owner.mapToGlobal(QPoint(5, 5))),
            607);
  ChooseFromNextMenu(0);
  EXPECT_EQ(RunContextMenu(&owner, module, kMenuStateInitial, owner.mapToGlobal(QPoint(5, 5))), 0);
}

TEST(Dialogs, MessageBoxesCarryTheProgramsCaption) {
  QWidget owner;
  QString text, caption;
  AnswerNextMessageBox("Yes", &text, &caption);
  EXPECT_TRUE(AskYesNo(&owner, u"Really quit?"));
  EXPECT_EQ(text, "Really quit?");
  EXPECT_EQ(caption, "tavik");
  AnswerNextMessageBox("No");
  EXPECT_FALSE(AskYesNo(&owner, u"Really quit?"));
  AnswerNextMessageBox("OK", &text, &caption);
  ShowErrorBox(&owner, u"Can't open GPS port");
  EXPECT_EQ(text, "Can't open GPS port");
  EXPECT_EQ(caption, "tavik");
}

const char16_t kFilters[] = u"GPX files\0*.gpx\0All files\0*.*\0";
constexpr int kFiltersLength = 29;

TEST(SaveFilePrompt, UsesTheNameExactlyAsTyped) {
  TempDir dir;
  char16_t path[260];
  QStringList filters;
  const QString typed = QString::fromStdString(dir.File("track"));
  AnswerNextFileDialog(typed, &filters);
  ASSERT_EQ(PromptSaveFileName(nullptr, kFilters, kFiltersLength, path, 260), 1);
  EXPECT_EQ(QString::fromUtf16(path), typed);  // no ".gpx" appended
  EXPECT_EQ(filters, (QStringList{"GPX files (*.gpx)", "All files (*)"}));
}

TEST(SaveFilePrompt, CancelledOrTooLongGivesNothing) {
  TempDir dir;
  char16_t path[260];
  AnswerNextFileDialog(QString());
  EXPECT_EQ(PromptSaveFileName(nullptr, kFilters, kFiltersLength, path, 260), 0);
  EXPECT_EQ(path[0], u'\0');

  char16_t short_path[8];
  AnswerNextFileDialog(QString::fromStdString(dir.File("a-name-longer-than-eight.gpx")));
  EXPECT_EQ(PromptSaveFileName(nullptr, kFilters, kFiltersLength, short_path, 8), 0);
  EXPECT_EQ(short_path[0], u'\0');
  EXPECT_EQ(PromptSaveFileName(nullptr, kFilters, kFiltersLength, nullptr, 260), 0);
}

}  // namespace
