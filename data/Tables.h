#pragma once

#include <QtGlobal>
#include <array>

namespace seiran {

// Fixed-capacity tables indexed the way the program counts (from 1 where pupils, classes,
// subjects and tests are numbered; from 0 where index 0 has a meaning). Every access checks
// its bound: a bad index is a programming error that asserts in debug builds and, in a
// release build, reads a default value and drops the write instead of touching memory.
void ReportTableIndexError(const char* table, int index);

template <typename T, int Lo, int Hi> class Table
{
public:
    static constexpr int lo = Lo;
    static constexpr int hi = Hi;
    static constexpr bool inRange(int i) { return i >= Lo && i <= Hi; }

    T& operator[](int i)
    {
        if (!inRange(i)) [[unlikely]] {
            ReportTableIndexError("Table", i);
            mSink = T{};
            return mSink;
        }
        return mItems[std::size_t(i - Lo)];
    }
    const T& operator[](int i) const
    {
        if (!inRange(i)) [[unlikely]] {
            ReportTableIndexError("Table", i);
            return mEmpty;
        }
        return mItems[std::size_t(i - Lo)];
    }
    void fill(const T& value) { mItems.fill(value); }

private:
    std::array<T, std::size_t(Hi - Lo + 1)> mItems{};
    T mSink{};
    static inline const T mEmpty{};
};

// Two indices, (r, c) with r in R0..R1 and c in C0..C1.
template <typename T, int R0, int R1, int C0, int C1> class Table2
{
public:
    static constexpr bool inRange(int r, int c) { return r >= R0 && r <= R1 && c >= C0 && c <= C1; }

    T& operator()(int r, int c)
    {
        if (!inRange(r, c)) [[unlikely]] {
            ReportTableIndexError("Table2", r * 1000 + c);
            mSink = T{};
            return mSink;
        }
        return mItems[offset(r, c)];
    }
    const T& operator()(int r, int c) const
    {
        if (!inRange(r, c)) [[unlikely]] {
            ReportTableIndexError("Table2", r * 1000 + c);
            return mEmpty;
        }
        return mItems[offset(r, c)];
    }
    void fill(const T& value) { mItems.fill(value); }

private:
    static constexpr std::size_t offset(int r, int c)
    {
        return std::size_t(r - R0) * (C1 - C0 + 1) + std::size_t(c - C0);
    }
    std::array<T, std::size_t(R1 - R0 + 1) * std::size_t(C1 - C0 + 1)> mItems{};
    T mSink{};
    static inline const T mEmpty{};
};

// Three indices, (a, b, c).
template <typename T, int A0, int A1, int B0, int B1, int C0, int C1> class Table3
{
public:
    static constexpr bool inRange(int a, int b, int c)
    {
        return a >= A0 && a <= A1 && b >= B0 && b <= B1 && c >= C0 && c <= C1;
    }

    T& operator()(int a, int b, int c)
    {
        if (!inRange(a, b, c)) [[unlikely]] {
            ReportTableIndexError("Table3", a * 10000 + b * 100 + c);
            mSink = T{};
            return mSink;
        }
        return mItems[offset(a, b, c)];
    }
    const T& operator()(int a, int b, int c) const
    {
        if (!inRange(a, b, c)) [[unlikely]] {
            ReportTableIndexError("Table3", a * 10000 + b * 100 + c);
            return mEmpty;
        }
        return mItems[offset(a, b, c)];
    }
    void fill(const T& value) { mItems.fill(value); }

private:
    static constexpr std::size_t offset(int a, int b, int c)
    {
        return (std::size_t(a - A0) * (B1 - B0 + 1) + std::size_t(b - B0)) * (C1 - C0 + 1) + std::size_t(c - C0);
    }
    std::array<T, std::size_t(A1 - A0 + 1) * (B1 - B0 + 1) * (C1 - C0 + 1)> mItems{};
    T mSink{};
    static inline const T mEmpty{};
};

} // namespace seiran
