// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#pragma once

// A test answers the window's modal dialogs (questions, the undo dialog) the way a person would:
// the window asks and waits, a timer of the test finds the dialog and answers it.

#include "mainwindow.h"
#include "runtoend.h"
#include "undorundialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <functional>
#include <memory>

// Hands each modal dialog of type Dialog to `answer` as it shows, `times` times; 0: every one
// until the returned timer is deleted or `owner` goes.
template <class Dialog>
QTimer* answerModal(QObject* owner, const std::function<void(Dialog*)>& answer, int times = 1)
{
    auto* poll = new QTimer(owner);
    const auto left = std::make_shared<int>(times);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, answer, left] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        if (--*left == 0) {
            poll->stop();
            poll->deleteLater();
        }
        answer(dialog);
    });
    poll->start(10);
    return poll;
}

// Answers the next question box with `button`; `question` gets its text.
inline void answerQuestion(QObject* owner, QMessageBox::StandardButton button,
                           QString* question = nullptr)
{
    answerModal<QMessageBox>(owner, [button, question](QMessageBox* box) {
        if (question)
            *question = box->text();
        box->button(button)->click();
    });
}

// Runs the window's flow, answering Yes to every question Run asks (marked settings, conflicts).
inline bool runAnsweringYes(MainWindow& window)
{
    QTimer* answering = answerModal<QMessageBox>(
        &window, [](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); }, 0);
    const bool ran = runToEnd(window);
    delete answering;
    return ran;
}

// Accepts or rejects the next undo dialog, after handing it to `look`.
inline void answerUndoDialog(QObject* owner, bool accept,
                             const std::function<void(UndoRunDialog*)>& look = {})
{
    answerModal<UndoRunDialog>(owner, [=](UndoRunDialog* dialog) {
        if (look)
            look(dialog);
        accept ? dialog->accept() : dialog->reject();
    });
}
