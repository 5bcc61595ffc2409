// A path record that never changes once made, shared by the history's stored paths that hold it.
// Its count of holders lives beside the record, so a holder is one pointer (a shared_ptr is two):
// the history keeps one or two of them for every path of every step.
#pragma once

#include "core/path_record.h"

#include <atomic>
#include <cstdint>
#include <utility>

namespace core {

class SharedRecord {
public:
    SharedRecord() = default;
    // A record of its own holding record.
    explicit SharedRecord(PathRecord record) : node_(new Node{std::move(record)}) {}
    SharedRecord(const SharedRecord &other) noexcept : node_(other.node_)
    {
        if (node_) {
            node_->holders.fetch_add(1, std::memory_order_relaxed);
        }
    }
    SharedRecord(SharedRecord &&other) noexcept : node_(std::exchange(other.node_, nullptr)) {}
    SharedRecord &operator=(SharedRecord other) noexcept
    {
        std::swap(node_, other.node_);
        return *this;
    }
    ~SharedRecord()
    {
        if (node_ && node_->holders.fetch_sub(1, std::memory_order_acq_rel) == 1) {
            delete node_;
        }
    }

    const PathRecord &operator*() const { return node_->record; }
    const PathRecord *operator->() const { return &node_->record; }
    // The record, null when there is none.
    const PathRecord *get() const { return node_ ? &node_->record : nullptr; }
    explicit operator bool() const { return node_ != nullptr; }
    // The same record, not merely an equal one.
    bool operator==(const SharedRecord &other) const { return node_ == other.node_; }

private:
    struct Node {
        PathRecord record;
        std::atomic<uint32_t> holders{1};
    };

    Node *node_ = nullptr;
};

}  // namespace core
