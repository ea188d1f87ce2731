#pragma once

#include <QObject>

class QMenu;

// A menu whose check boxes toggle without closing it, by mouse or keyboard, so that several
// can be set in one visit; other items close it as usual.
class TogglesKeepMenuOpen : public QObject
{
public:
    explicit TogglesKeepMenuOpen(QMenu *menu);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
