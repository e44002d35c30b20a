#include "HelpViewer.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace seiran {

HelpViewer::HelpViewer(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("取扱説明書"));
    mBackButton = new QPushButton(QStringLiteral("戻る"), this);
    mForwardButton = new QPushButton(QStringLiteral("進む"), this);
    mContentsButton = new QPushButton(QStringLiteral("目次"), this);
    mBrowser = new QTextBrowser(this);
    // Pages of the manual open here; web addresses go to the system.
    mBrowser->setOpenLinks(true);
    mBrowser->setOpenExternalLinks(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(mBackButton);
    buttons->addWidget(mForwardButton);
    buttons->addWidget(mContentsButton);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(mBrowser, 1);

    // The manual's pages are 52 characters of text wide; a little more than that, within the screen.
    QSize size(900, 720);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) size = size.boundedTo(screen->availableSize() * 0.9);
    resize(size);

    mBackButton->setEnabled(false);
    mForwardButton->setEnabled(false);
    connect(mBackButton, &QPushButton::clicked, mBrowser, &QTextBrowser::backward);
    connect(mForwardButton, &QPushButton::clicked, mBrowser, &QTextBrowser::forward);
    connect(mContentsButton, &QPushButton::clicked, this, [this] { mBrowser->setSource(mHome); });
    connect(mBrowser, &QTextBrowser::backwardAvailable, mBackButton, &QPushButton::setEnabled);
    connect(mBrowser, &QTextBrowser::forwardAvailable, mForwardButton, &QPushButton::setEnabled);
    connect(mBrowser, &QTextBrowser::sourceChanged, this, &HelpViewer::onSourceChanged);
}

void HelpViewer::showPage(const QUrl& page)
{
    // The folder of the first page shown is the manual's; its index.htm is the contents.
    if (mHome.isEmpty()) {
        const QFileInfo info(page.toLocalFile());
        mHome = QUrl::fromLocalFile(info.absoluteDir().filePath(QStringLiteral("index.htm")));
        mBrowser->setSearchPaths({info.absolutePath()});
    }
    mBrowser->setSource(page);
}

QUrl HelpViewer::currentPage() const
{
    return mBrowser->source();
}

void HelpViewer::onSourceChanged()
{
    const QString title = mBrowser->documentTitle();
    setWindowTitle(title.isEmpty() ? QStringLiteral("取扱説明書") : title);
}

void OpenInSystemBrowser(const QUrl& url, QObject* context, const std::function<void(const QString&)>& failed)
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // The desktop's opener starts detached and reports success as soon as it starts, even when it
    // then finds no browser ("xdg-open: no method available"). Run it ourselves to learn how it
    // ended; its messages are kept for the detail instead of reaching the terminal.
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) {
        failed(QString());
        return;
    }
    auto* process = new QProcess(context);
    QObject::connect(process, &QProcess::finished, context,
                     [process, failed](int exitCode, QProcess::ExitStatus status) {
                         if (status != QProcess::NormalExit || exitCode != 0)
                             failed(QString::fromLocal8Bit(process->readAllStandardError()).trimmed());
                         process->deleteLater();
                     });
    QObject::connect(process, &QProcess::errorOccurred, context, [process, failed](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart) return;
        failed(process->errorString());
        process->deleteLater();
    });
    process->start(opener, {url.toString(QUrl::FullyEncoded)});
#else
    if (!QDesktopServices::openUrl(url)) failed(QString());
    Q_UNUSED(context);
#endif
}

} // namespace seiran
