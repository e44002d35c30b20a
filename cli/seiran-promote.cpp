// seiran-promote --data DIR --grade G [--assign FILE] [--sort old|number|kana [--by-sex N]] [--save]
//                [--create DIR [--replace]] [--list]
// Gives the pupils of a grade their classes and numbers for next year and builds next year's
// files without a window, with the same table as the promotion screen.
#include "PromoteCommand.h"
#include "ToolkitEnvironment.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

int main(int argc, char* argv[])
{
    seiran::PrepareToolkitEnvironment();
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return seiran::RunPromoteCommand(app.arguments(), QCoreApplication::applicationDirPath(), out, err);
}
