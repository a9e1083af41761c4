// The yardstick of the start-up benchmark: the least a Qt Widgets program does to show one
// dialog, built with the same compiler, flags and Qt as corvane.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QDialog dialog;
    dialog.setWindowTitle("Minimal dialog");
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel("One dialog, nothing else."));
    auto* close = new QPushButton("Close");
    QObject::connect(close, &QPushButton::clicked, &dialog, &QDialog::accept);
    layout->addWidget(close);
    dialog.show();
    return application.exec();
}
