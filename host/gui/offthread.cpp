// SPDX-FileCopyrightText: 2026 FileOperPlugin contributors
// SPDX-License-Identifier: MIT

#include "offthread.h"

#include <QEventLoop>
#include <QThread>

#include <memory>

void waitOffThread(const std::function<void()>& work)
{
    QEventLoop waiting;
    std::unique_ptr<QThread> worker(QThread::create(work));
    QObject::connect(worker.get(), &QThread::finished, &waiting, &QEventLoop::quit);
    worker->start();
    waiting.exec();
    worker->wait();
}
