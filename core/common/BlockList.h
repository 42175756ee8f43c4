#pragma once

#include <cstddef>
#include <memory>
#include <vector>

// A sequence of trivially copyable values kept in fixed blocks of
// `BlockSize`: appending never moves what is stored, and the list of blocks
// is short enough (2,442 pointers for ten million rows of 4,096) that growing
// it costs nothing. std::deque does the same with small blocks and a block
// map that is moved whole as it grows: at ten million rows one append waited
// over a millisecond for it.
template <typename T, size_t BlockSize = 4096> class BlockList
{
public:
    size_t size() const { return count; }
    bool empty() const { return count == 0; }

    T &operator[](size_t index) { return blocks[index / BlockSize][index % BlockSize]; }
    const T &operator[](size_t index) const { return blocks[index / BlockSize][index % BlockSize]; }
    T &back() { return (*this)[count - 1]; }

    void push_back(const T &value)
    {
        if (count == blocks.size() * BlockSize)
            blocks.push_back(std::make_unique_for_overwrite<T[]>(BlockSize));
        (*this)[count++] = value;
    }
    // Removes the value at `index`, moving the ones after it down.
    void erase(size_t index)
    {
        for (size_t i = index; i + 1 < count; ++i)
            (*this)[i] = (*this)[i + 1];
        resize(count - 1);
    }
    // Keeps the first `size` values (never more than there are).
    void resize(size_t size)
    {
        if (size >= count)
            return;
        count = size;
        blocks.resize((count + BlockSize - 1) / BlockSize);
    }
    void clear()
    {
        blocks.clear();
        count = 0;
    }

private:
    std::vector<std::unique_ptr<T[]>> blocks;
    size_t count = 0;
};
