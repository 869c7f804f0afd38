// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <thread>

// Swaps a name between the real entry and a link out of the folder as fast
// as the system allows, on a thread of its own, until it goes.
class LinkSwapper
{
public:
    LinkSwapper(const QString &name, const QString &real, const QString &outside);
    ~LinkSwapper();
    int swaps() const { return m_swaps; }

private:
    void run();

    QByteArray m_name, m_real, m_link, m_outside;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_swaps{0};
    std::thread m_thread;
};
