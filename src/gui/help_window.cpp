#include "gui/help_window.h"

#include <QPointer>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>
#include <QWidget>

namespace korvel::gui {

namespace {

// The build embeds docs/ (the guide, the pages it links to, its pictures)
// under :/docs, so that relative links and images resolve as on disk.
const QUrl kGuideUrl("qrc:/docs/user_guide.md");

// The anchor a Markdown renderer on the web gives a heading ("Analysis
// file" -> "analysis-file"), which the pages' links use.
QString WebAnchor(const QString& heading) {
  QString anchor;
  for (const QChar c : heading.toLower()) {
    if (c.isLetterOrNumber() || c == '-' || c == '_') anchor += c;
    if (c == ' ') anchor += '-';
  }
  return anchor;
}

bool IsHeading(const QTextBlock& b) {
  return b.blockFormat().headingLevel() > 0;
}

// Markdown gives headings no anchors: each heading gets its text and its web
// anchor as names, so that both a help topic and a link can scroll to it.
void NameHeadings(QTextDocument& doc) {
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
    if (!IsHeading(b)) continue;
    QTextCursor c(b);
    c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    QTextCharFormat f;
    f.setAnchor(true);
    f.setAnchorNames({b.text(), WebAnchor(b.text())});
    c.mergeCharFormat(f);
  }
}

bool HasHeading(const QTextDocument& doc, const QString& text) {
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
    if (IsHeading(b) && b.text() == text) return true;
  return false;
}

class GuideBrowser : public QTextBrowser {
 public:
  using QTextBrowser::QTextBrowser;

 protected:
  // The base scrolls to a link's fragment before the new page's headings
  // have their names: name them, then scroll again.
  void doSetSource(const QUrl& url, QTextDocument::ResourceType type) override {
    QTextBrowser::doSetSource(url, type);
    NameHeadings(*document());
    if (url.hasFragment()) scrollToAnchor(url.fragment());
  }
};

QWidget* CreateGuideWindow(QWidget* parent) {
  auto* window = new QWidget(parent, Qt::Window);
  window->setWindowTitle("KORVEL user guide");
  auto* browser = new GuideBrowser(window);
  browser->setObjectName("Guide");
  browser->setOpenExternalLinks(true);
  auto* layout = new QVBoxLayout(window);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(browser);
  window->resize(760, 640);
  return window;
}

}  // namespace

void ShowUserGuide(QWidget* parent, const std::string& topic) {
  // One window, reused: Help pressed again brings it forward at the new topic.
  static QPointer<QWidget> window;
  if (!window) window = CreateGuideWindow(parent);
  auto* browser = window->findChild<GuideBrowser*>("Guide");
  if (browser->source().adjusted(QUrl::RemoveFragment) != kGuideUrl)
    browser->setSource(kGuideUrl, QTextDocument::MarkdownResource);
  window->show();
  window->raise();
  window->activateWindow();

  const QString heading = QString::fromStdString(topic);
  if (!heading.isEmpty() && HasHeading(*browser->document(), heading))
    browser->scrollToAnchor(heading);
  else
    browser->verticalScrollBar()->setValue(0);
}

}  // namespace korvel::gui
