#include "SettingsPanel.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>

namespace seiran {

SettingsPanel BuildSettingsPanel(QWidget* parent)
{
    SettingsPanel p;
    p.selectionFrame = new QGroupBox(QStringLiteral("現在の処理設定"), parent);
    p.gradeCombo = new QComboBox(p.selectionFrame);
    p.classCountEdit = new QLineEdit(p.selectionFrame);
    p.classCountEdit->setReadOnly(true);
    p.classCountEdit->setFocusPolicy(Qt::NoFocus);
    p.classCountEdit->setMaximumWidth(60);
    p.testCombo = new QComboBox(p.selectionFrame);
    p.testCombo->setMinimumWidth(200);
    auto* selection = new QFormLayout(p.selectionFrame);
    selection->addRow(QStringLiteral("学年"), p.gradeCombo);
    selection->addRow(QStringLiteral("クラス数"), p.classCountEdit);
    selection->addRow(QStringLiteral("テスト名"), p.testCombo);

    p.environmentFrame = new QGroupBox(QStringLiteral("現在の環境設定"), parent);
    p.dataFolderEdit = new QLineEdit(p.environmentFrame);
    p.dataFolderEdit->setToolTip(QStringLiteral("ダブルクリックでフォルダを選べます"));
    p.dataFolderEdit->setMinimumWidth(240);
    p.classModeCombo = new QComboBox(p.environmentFrame);
    p.graphModeCombo = new QComboBox(p.environmentFrame);
    p.beepModeCombo = new QComboBox(p.environmentFrame);
    p.userNameEdit = new QLineEdit(p.environmentFrame);
    p.userNameEdit->setToolTip(QStringLiteral("同じデータフォルダを使うほかのパソコンに表示される名前です"));
    auto* environment = new QFormLayout(p.environmentFrame);
    environment->addRow(QStringLiteral("データフォルダ"), p.dataFolderEdit);
    environment->addRow(QStringLiteral("クラス名の型"), p.classModeCombo);
    environment->addRow(QStringLiteral("度数分布グラフ"), p.graphModeCombo);
    environment->addRow(QStringLiteral("入力時の警告音"), p.beepModeCombo);
    environment->addRow(QStringLiteral("使用者名"), p.userNameEdit);
    return p;
}

} // namespace seiran
