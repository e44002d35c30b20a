#include "GraphSettingsBoxes.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRect>

namespace seiran {

namespace {

// A frame with "最高点" and "間隔" and their text boxes.
QGroupBox* settingsFrame(QWidget* parent, const QString& title, const QRect& geometry, QLineEdit*& maximum,
                         QLineEdit*& band)
{
    auto* frame = new QGroupBox(title, parent);
    frame->setGeometry(geometry);
    auto* maxLabel = new QLabel(QStringLiteral("最高点"), frame);
    maxLabel->setGeometry(8, 22, 44, 24);
    maximum = new QLineEdit(frame);
    maximum->setGeometry(52, 22, 48, 24);
    auto* bandLabel = new QLabel(QStringLiteral("間隔"), frame);
    bandLabel->setGeometry(110, 22, 32, 24);
    band = new QLineEdit(frame);
    band->setGeometry(142, 22, 40, 24);
    return frame;
}

} // namespace

void GraphSettingsBoxes::build(QWidget* parent, const QRect& totalGeometry, const QRect& subjectGeometry,
                               const GraphSettings& settings)
{
    this->totalFrame = settingsFrame(parent, QStringLiteral("５教科合計"), totalGeometry, totalMaximum, totalBand);
    this->subjectFrame = settingsFrame(parent, QStringLiteral("各教科"), subjectGeometry, subjectMaximum, subjectBand);
    show(settings);
}

void GraphSettingsBoxes::show(const GraphSettings& settings) const
{
    totalMaximum->setText(QString::number(settings.totalMaximum));
    totalBand->setText(QString::number(settings.totalBand));
    subjectMaximum->setText(QString::number(settings.subjectMaximum));
    subjectBand->setText(QString::number(settings.subjectBand));
}

GraphSettings GraphSettingsBoxes::read() const
{
    return {SettingValue(totalMaximum->text()), SettingValue(totalBand->text()), SettingValue(subjectMaximum->text()),
            SettingValue(subjectBand->text())};
}

} // namespace seiran
