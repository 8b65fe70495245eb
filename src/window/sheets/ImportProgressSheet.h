#pragma once

#include "window/sheets/PondraProgressSheet.h"

#include <functional>

class VornButton;

// The "Importing media" sheet: the progress sheet with a bar of files done
// and a Cancel button beside it.
class ImportProgressSheet final : public PondraProgressSheet {
public:
    explicit ImportProgressSheet(QWidget* window);

    void begin(const QString& text, int total);
    void setDone(int done);
    void end();

    std::function<void()> onCancel;

private:
    VornButton* _cancel;
};
