#pragma once

#include "ClassPicker.h"

#include <functional>

namespace seiran {

// "印刷するクラスの選択" with "個別指定": the class picker's boxes, and the pupils to print are
// either every pupil of the ticked classes or the pupils marked in the pupil picker. The answer
// is studentSelected.
class ClassPupilPicker : public ClassPicker
{
    Q_OBJECT
public:
    explicit ClassPupilPicker(Session& session, QWidget* parent = nullptr);

    // Replaces the modal pupil picker that "個別指定" opens (tests answer it directly).
    void setStudentPickerRunner(std::function<void()> runner) { mRunStudentPicker = std::move(runner); }

    QCheckBox* mIndividualCheck = nullptr; // 個別指定

    void onIndividualToggled();
    void onAcceptClicked() override; // 印刷

private:
    void runStudentPicker();
    std::function<void()> mRunStudentPicker;
};

} // namespace seiran
