#pragma once

#include <QWidget>

#include <functional>

class KivSimpleProgress;
class VornButton;

// The "Importing media" sheet: a label, a bar of files done and a Cancel
// button, shown over the top of its window.
class ImportProgressSheet final : public QWidget {
public:
    explicit ImportProgressSheet(QWidget* window);

    void begin(const QString& text, int total);
    void setDone(int done);
    void end();

    std::function<void()> onCancel;
    KivSimpleProgress* progress() const { return _progress; }
    VornButton* cancelButton() const { return _cancel; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void placeInWindow();

    KivSimpleProgress* _progress;
    VornButton* _cancel;
};
