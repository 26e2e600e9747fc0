#pragma once
// Running work on the GUI thread from any thread.

#include <functional>

class QObject;

namespace kelm::window {

bool onGuiThread();
// Runs task on the GUI thread and waits for it; directly when already there. The traps of the
// calling thread are masked meanwhile, so Qt's own arithmetic cannot trip them. False when
// there is no application.
bool runOnGui(const std::function<void()>& task);
// Queues task for the GUI thread without waiting; tasks from one thread keep their order.
void postToGui(std::function<void()> task);
// The same for a task of context, dropped if context is gone before it runs.
void postToGui(QObject* context, std::function<void()> task);

}  // namespace kelm::window
