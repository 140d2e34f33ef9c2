#pragma once
// The record a pipeline stage runs on. The stage fills the result (or marks
// the failure), sets done and calls the completion handler last, from its own
// thread; it touches the record no more afterwards. The handler takes the
// result, which releases the record. Calling the handler last is the only
// synchronisation: the record never has two owners at once.
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

namespace fw {

struct NoInputs {};

template <typename Result, typename Inputs = NoInputs>
struct TaskRecord {
    using Handler = void (*)(TaskRecord*);

    Handler completion = nullptr;
    bool done = false;
    int32_t failed = 0;
    // The failure's message: UTF-8, with static lifetime (a constant text), so
    // that it shows correctly whatever the system's ANSI code page is.
    const char* errorText = nullptr;
    Result result{};
    Inputs inputs{};
};

// Stage side: hand over a success.
template <typename Result, typename Inputs>
void CompleteTask(TaskRecord<Result, Inputs>* task, Result result) {
    task->result = std::move(result);
    task->failed = 0;
    task->done = true;
    task->completion(task);
}

// Stage side: hand over a failure with its message (UTF-8, static lifetime).
template <typename Result, typename Inputs>
void FailTask(TaskRecord<Result, Inputs>* task, const char* message) {
    task->failed = 1;
    task->errorText = message;
    task->done = true;
    task->completion(task);
}

// Handler side: releases the record, then raises the stage's message as a
// standard exception (what() is UTF-8) when the stage failed.
template <typename Result, typename Inputs>
Result TakeResult(TaskRecord<Result, Inputs>* task) {
    std::unique_ptr<TaskRecord<Result, Inputs>> owned(task);
    if (owned->failed == 1) throw std::runtime_error(owned->errorText ? owned->errorText : "");
    return std::move(owned->result);
}

}  // namespace fw
