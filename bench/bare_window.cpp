// The floor of the start-up bench: a Qt Widgets program of its own, linked to nothing but Qt,
// that shows a window with a Japanese label and ends once it is shown.
//   bench_bare_window                in the desktop's font
//   bench_bare_window --screen-font  in the face the program gives its windows (IPA P Gothic,
//                                    fully hinted), set here by hand as the program sets it
#include <QApplication>
#include <QFontDatabase>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc > 1 && QByteArray(argv[1]) == "--screen-font" && QFontDatabase::hasFamily(QStringLiteral("IPAPGothic"))) {
        QFont font = QApplication::font();
        font.setFamily(QStringLiteral("IPAPGothic"));
        font.setHintingPreference(QFont::PreferFullHinting);
        QApplication::setFont(font);
    }
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(QStringLiteral("中学校総合成績処理せいらん")));
    window.resize(860, 610);
    window.show();
    QApplication::processEvents();
    return 0;
}
