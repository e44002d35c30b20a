#pragma once

#include "frmSelectClass.h"

#include <functional>

namespace seiran {

// "印刷するクラスの選択" with "個別指定": the class picker's boxes, and the pupils to print are
// either every pupil of the ticked classes or the pupils marked in the pupil picker. The answer
// is studentSelected.
class frmSelectClass2 : public frmSelectClass
{
    Q_OBJECT
public:
    explicit frmSelectClass2(Session& session, QWidget* parent = nullptr);

    // Replaces the modal pupil picker that "個別指定" opens (tests answer it directly).
    void setStudentPickerRunner(std::function<void()> runner) { mRunStudentPicker = std::move(runner); }

    QCheckBox* Check1 = nullptr; // 個別指定

    void Check1_Click();
    void Command2_Click() override; // 印刷

private:
    void runStudentPicker();
    std::function<void()> mRunStudentPicker;
};

} // namespace seiran
