#pragma once

#include "LoopTest.h"

#include <QDialog>

class DialogService;
class HistogramView;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

// Tools > Loop Test: the path, the pattern and the run's length chosen, the results as they
// come in, and at the end; copied as text or saved as CSV. Not modal: the window goes on
// capturing meanwhile.
class LoopTestDialog : public QDialog
{
    Q_OBJECT

public:
    LoopTestDialog(std::shared_ptr<PortSystem> ports, DialogService &dialogs, QWidget *parent);

    // Lists the ports afresh, keeping the chosen ones.
    void refreshPorts();
    LoopTest &test() { return m_test; }

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void setUpFields();
    void layOut();
    void holdChosenPorts();
    void startOrStop();
    void showResults();
    void patternChosen();
    void saveCsv();
    QString reportText() const;

    std::shared_ptr<PortSystem> m_ports;
    DialogService &m_dialogs;
    LoopTest m_test;
    QComboBox *m_output;
    QComboBox *m_input;
    QComboBox *m_pattern;
    QLabel *m_rateLabel;
    QSpinBox *m_rate;
    QSpinBox *m_size;
    QDoubleSpinBox *m_seconds;
    QPushButton *m_start;
    QPlainTextEdit *m_results;
    HistogramView *m_histogram;
    bool m_holdFailed = false; // the results say why the chosen ports could not be held
};
