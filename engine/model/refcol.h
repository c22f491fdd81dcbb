// refCol: an ordered, non-owning collection of node pointers (doubly linked
// with a sentinel, constant-time append). Clearing or destroying it frees only
// its own records, never the nodes.
#pragma once

namespace tovimat {

class container;
class nucleo;

class refCol {
public:
    struct cell {
        cell* next;
        cell* prev;
        nucleo* node;
    };

    refCol();
    refCol(const refCol&) = delete;
    refCol& operator=(const refCol&) = delete;
    ~refCol();

    void add(nucleo* n);
    // Appends a pointer to every member of c, in order.
    void add(container* c);
    // Appends a new copy() of every collected node to target, in order.
    void copyTo(container* target) const;
    void clear();
    // Drops the first record of n; answers whether there was one.
    bool remove(const nucleo* n);

    int count() const { return count_; }
    bool empty() const { return count_ == 0; }

    class iterator {
    public:
        explicit iterator(cell* c) : c_(c) {}
        nucleo* operator*() const { return c_->node; }
        iterator& operator++() {
            c_ = c_->next;
            return *this;
        }
        bool operator!=(const iterator& o) const { return c_ != o.c_; }

    private:
        cell* c_;
    };
    iterator begin() const { return iterator(sentinel_.next); }
    iterator end() const { return iterator(const_cast<cell*>(&sentinel_)); }

private:
    cell sentinel_;
    int count_ = 0;
};

}  // namespace tovimat
