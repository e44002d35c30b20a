#pragma once

class QComboBox;
class QGroupBox;
class QLineEdit;
class QWidget;

namespace seiran {

// The two frames of the main window above the menu: the current selection (grade, class count,
// test) and the environment (data folder, class names, graph, warning beep). The main window
// fills and answers them.
struct SettingsPanel
{
    QGroupBox* selectionFrame = nullptr;
    QComboBox* gradeCombo = nullptr;
    QLineEdit* classCountEdit = nullptr; // shown, not edited
    QComboBox* testCombo = nullptr;

    QGroupBox* environmentFrame = nullptr;
    QLineEdit* dataFolderEdit = nullptr; // a double click chooses the folder
    QComboBox* classModeCombo = nullptr;
    QComboBox* graphModeCombo = nullptr;
    QComboBox* beepModeCombo = nullptr;
    QLineEdit* userNameEdit = nullptr; // 使用者名, shown to the other PCs using the grade
};

SettingsPanel BuildSettingsPanel(QWidget* parent);

} // namespace seiran
