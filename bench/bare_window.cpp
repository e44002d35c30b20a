// The floor of the start-up bench: a Qt Widgets program of its own, linked to nothing but Qt,
// that shows a window with a Japanese label and ends once it is shown.
#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(QStringLiteral("中学校総合成績処理せいらん")));
    window.resize(860, 610);
    window.show();
    QApplication::processEvents();
    return 0;
}
