#pragma once

#include <QObject>

class CaptureFiles;
class QWidget;

// A file dragged onto the window opens as if chosen from the File menu.
class FileDrops : public QObject
{
    Q_OBJECT

public:
    FileDrops(QWidget &window, CaptureFiles &files);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    CaptureFiles &m_files;
};
