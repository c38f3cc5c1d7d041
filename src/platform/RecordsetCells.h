#pragma once

#include "platform/Value.h"

#include <algorithm>
#include <bit>
#include <memory>
#include <new>
#include <vector>

// The cells of a record set's rows, row after row, in blocks that are never
// moved once made: a load or an added row never copies what is stored. The
// first block holds 16 rows, or all of them where the count is known
// beforehand; each block after it twice the rows of the one before, so a big
// result takes few blocks and a small one a small block.
class RecordsetCells {
public:
    RecordsetCells() = default;
    ~RecordsetCells() { clear(); }
    RecordsetCells(const RecordsetCells&) = delete;
    RecordsetCells& operator=(const RecordsetCells&) = delete;

    // Empties the store and sets its row width.
    void reset(int columns)
    {
        clear();
        m_columns = columns;
        setFirstBlock(SmallestBlock);
    }
    // Room for this many rows in the first block, while nothing is stored.
    void reserve(int rows)
    {
        if (m_rows == 0 && rows > 0) {
            m_blocks.clear();
            setFirstBlock(rows);
        }
    }
    int rows() const { return m_rows; }

    Value* row(int r)
    {
        if (r < m_firstRows)
            return m_blocks.front().get() + size_t(r) * size_t(m_columns);
        const size_t block = laterBlockOf(r);
        return m_blocks[block].get() + size_t(r - firstRowOf(block)) * size_t(m_columns);
    }
    const Value* row(int r) const { return const_cast<RecordsetCells*>(this)->row(r); }
    Value& at(int r, int column) { return row(r)[column]; }
    const Value& at(int r, int column) const { return row(r)[column]; }

    // Appends a row whose cells make(column) gives, in column order.
    template <class Make>
    void appendRow(Make&& make)
    {
        Value* cells = freeRow();
        int made = 0;
        try {
            for (; made < m_columns; ++made)
                new (cells + made) Value(make(made));
        } catch (...) {
            while (made > 0)
                cells[--made].~Value();
            throw;
        }
        ++m_rows;
    }

private:
    static constexpr int SmallestBlock = 16;

    void setFirstBlock(int rows)
    {
        m_firstRows = rows;
        m_laterShift = int(std::bit_width(unsigned(std::max(rows, SmallestBlock) - 1)));
    }
    // Blocks after the first: block k (from 1) holds 2^(m_laterShift + k - 1) rows.
    size_t laterBlockOf(int r) const
    {
        return size_t(std::bit_width((unsigned(r - m_firstRows) >> m_laterShift) + 1u));
    }
    int firstRowOf(size_t block) const
    {
        return block == 0 ? 0 : m_firstRows + int(((1u << (block - 1)) - 1u) << m_laterShift);
    }
    int rowsOf(size_t block) const { return block == 0 ? m_firstRows : int(1u << (block - 1 + size_t(m_laterShift))); }

    struct Release {
        void operator()(Value* p) const { ::operator delete(p); }
    };

    // Room for the next row, in a new block when the last one is full.
    Value* freeRow()
    {
        const size_t block = m_rows < m_firstRows ? 0 : laterBlockOf(m_rows);
        if (block == m_blocks.size()) {
            const size_t bytes = size_t(rowsOf(block)) * size_t(std::max(m_columns, 1)) * sizeof(Value);
            m_blocks.emplace_back(static_cast<Value*>(::operator new(bytes)));
        }
        return m_blocks[block].get() + size_t(m_rows - firstRowOf(block)) * size_t(m_columns);
    }

    void clear()
    {
        for (size_t b = 0; b < m_blocks.size(); ++b) {
            const size_t used = size_t(std::min(rowsOf(b), m_rows - firstRowOf(b))) * size_t(m_columns);
            Value* cells = m_blocks[b].get();
            for (size_t i = 0; i < used; ++i)
                cells[i].~Value();
        }
        m_blocks.clear();
        m_rows = 0;
    }

    int m_columns = 0;
    int m_rows = 0;
    int m_firstRows = SmallestBlock;
    int m_laterShift = 4;
    std::vector<std::unique_ptr<Value, Release>> m_blocks;
};
