// The user guide's window: one window, opened at the heading a dialog's Help
// names, at the start for a topic it does not know.
#include "gui/help_window.h"

#include <QApplication>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>

using korvel::gui::ShowUserGuide;

namespace {

QList<QWidget*> GuideWindows() {
  QList<QWidget*> found;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible() && w->windowTitle() == "KORVEL user guide") found << w;
  return found;
}

// The text of the block at the top of the browser's visible area.
QString TopBlock(QTextBrowser* b) {
  return b->cursorForPosition(QPoint(8, 8)).block().text();
}

}  // namespace

class HelpWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void knownTopicIsAtTheTopAndUnknownOneShowsTheStart() {
    ShowUserGuide(nullptr, "Light curve elements");
    QCOMPARE(GuideWindows().size(), 1);
    auto* browser = GuideWindows().front()->findChild<QTextBrowser*>();
    QVERIFY(browser);
    QVERIFY(browser->toPlainText().contains("Keyboard shortcuts"));
    QCOMPARE(TopBlock(browser), QString("Light curve elements"));

    ShowUserGuide(nullptr, "Initial parameters");
    QCOMPARE(TopBlock(browser), QString("Initial parameters"));

    ShowUserGuide(nullptr, "No such heading");
    QCOMPARE(GuideWindows().size(), 1);
    QCOMPARE(TopBlock(browser), QString("KORVEL user guide: the window"));
  }
};

QTEST_MAIN(HelpWindowTest)
#include "help_window_test.moc"
