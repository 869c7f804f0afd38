// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QToolButton>

class QFont;
class QWidget;

// The toolkit's speed button: a button with a picture beside its caption,
// flat where the layout says so. It takes the keyboard focus by Tab and is
// pressed with Space, Return or the keypad's Enter; a caption may mark its
// access letter with "&" (Alt and the letter press it).
class SpeedButton : public QToolButton
{
    Q_OBJECT

public:
    explicit SpeedButton(QWidget *parent = nullptr);

    static SpeedButton *create(QWidget *parent, const QString &objectName, const QString &caption,
                               const QString &picture, int left, int top, int width, int height,
                               const QFont &font, bool flat);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    // A flat button shows its frame while it has the focus, so that the
    // keyboard's place can be seen.
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    bool m_flat = false;
};
