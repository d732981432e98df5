// The yardstick of `make measure`: the lightest program of this stack that shows what the game shows at
// start, a 1024 x 644 widget under a menu bar with the game's menu titles, and nothing else.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare window"));
    QMenuBar* bar = window.menuBar();
    bar->setNativeMenuBar(false);
    for (const char* title : {"Ordnix", "View", "Terrain", "Targets", "Wind", "R&&R", "Battle", "Sound", "Explosions"})
        bar->addMenu(QString::fromUtf8(title))->addAction(QStringLiteral("Item"));
    auto* area = new QWidget;
    area->setFixedSize(1024, 644);
    window.setCentralWidget(area);
    window.show();
    return QApplication::exec();
}
