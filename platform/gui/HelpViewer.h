#pragma once

#include <QUrl>
#include <QWidget>
#include <functional>

class QPushButton;
class QTextBrowser;

namespace seiran {

// The manual in a window of the program's own, for a system that has no browser to show it: the
// pages of the help folder with their links, pictures and style. 戻る, 進む and 目次 move as a
// browser's buttons do; a link out of the folder (a web address) goes to the system.
class HelpViewer : public QWidget
{
    Q_OBJECT
public:
    explicit HelpViewer(QWidget* parent = nullptr);

    // Shows a page of the manual (a local .htm file); the folder it lies in is the manual's.
    void showPage(const QUrl& page);
    QUrl currentPage() const;

    // Controls
    QPushButton* mBackButton = nullptr;     // 戻る
    QPushButton* mForwardButton = nullptr;  // 進む
    QPushButton* mContentsButton = nullptr; // 目次
    QTextBrowser* mBrowser = nullptr;

private:
    void onSourceChanged();

    QUrl mHome;
};

// Asks the system to show a local page in its browser. The answer may come late: on systems where
// the opener runs as a separate command, its failure (no browser, no method to open HTML) is
// known only when the command ends. `failed` then runs once, in `context`'s thread, with the
// system's reason as a detail (it may be empty); it never runs after `context` is gone.
void OpenInSystemBrowser(const QUrl& url, QObject* context, const std::function<void(const QString&)>& failed);

} // namespace seiran
