// Running code on the GUI thread from long work that runs on a worker thread.
#pragma once
#include <functional>
#include <string>

#include <QObject>

namespace kv::qt {

bool onGuiThread();
// Runs f on the thread of context: at once when already there; otherwise queued
// (blocking = false) or waiting until it has run (blocking = true). A queued call
// is dropped when context is destroyed before it runs.
void runOnGui(QObject* context, std::function<void()> f, bool blocking = false);

// Long work off the GUI thread: runs work on a new thread, then done on the
// GUI thread (in context). Returns at once.
// An exception leaving work is the job's failure: its English detail goes to
// standard error, `failed` (when given) gets it on the GUI thread, the user gets
// a message over the context's window, and done still runs (so the window is
// given back), before the message.
void runInBackground(QObject* context, std::function<void()> work, std::function<void()> done,
                     std::function<void(const std::string& detail)> failed = {});
// The message of a background job that failed (caption: the window's title).
std::string backgroundFailureText(const std::string& caption);
// Work of the window `context` (a button's handler, a window's loading) that
// stopped on an exception: its English detail goes to standard error and the
// user gets backgroundFailureText in a message over the window. Called on the
// GUI thread.
void tellWorkFailure(QObject* context, const std::string& detail);
// Runs f, work of the window `context` on the GUI thread; an exception
// leaving it is told with tellWorkFailure. False when f failed.
bool runGuarded(QObject* context, const std::function<void()>& f);
// The context of the background job running on the calling thread (null on
// any other thread): what the job raises (a message) belongs to its window.
QObject* backgroundContext();
// Number of background jobs still running (the program's end waits for none
// of them: it leaves the process without unwinding when some still run).
int runningBackgroundJobs();

}  // namespace kv::qt
