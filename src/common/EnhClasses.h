#pragma once
// TEnhList: a growable list of fixed-size records stored by value in one contiguous block, with an
// optional callback that lets the owner release what a record refers to before it is removed.
#include <cstdint>
#include <functional>
#include <type_traits>
#include <vector>

class TEnhList
{
public:
    using TDeleteEvent = std::function<void(TEnhList* sender, int index)>;

    // Raises EListError for an item size below 1.
    explicit TEnhList(int itemSize);
    // Clears the list (OnDelete runs for every record). This runs TEnhList::Clear: a subclass that
    // overrides Clear calls it from its own destructor.
    virtual ~TEnhList();
    TEnhList(const TEnhList&) = delete;
    TEnhList& operator=(const TEnhList&) = delete;

    // Copies itemSize bytes from record to position Count (growing first when full); returns its index.
    int Add(const void* record);
    // Ignores an index outside 0..Count-1; otherwise calls OnDelete, then removes the record.
    void Delete(int index);
    // Deletes the last record until the list is empty (OnDelete sees them from last to first).
    virtual void Clear();

    // Address of record index; the caller keeps 0 <= index < Count.
    uint8_t* Items(int index) { return FData.data() + size_t(index) * size_t(FItemSize); }
    const uint8_t* Items(int index) const { return FData.data() + size_t(index) * size_t(FItemSize); }
    // The last record, or nullptr when the list is empty.
    uint8_t* Last() { return FCount > 0 ? Items(FCount - 1) : nullptr; }
    uint8_t* Data() { return FData.data(); }

    // Record index as a T; T must fit in one record (checked once per call, raises EListError).
    template <class T> T& Item(int index)
    {
        static_assert(std::is_trivially_copyable_v<T>);
        CheckItemType(sizeof(T));
        return *reinterpret_cast<T*>(Items(index));
    }
    template <class T> const T& Item(int index) const
    {
        static_assert(std::is_trivially_copyable_v<T>);
        CheckItemType(sizeof(T));
        return *reinterpret_cast<const T*>(Items(index));
    }

    int Count() const { return FCount; }
    int Capacity() const { return FCapacity; }
    int ItemSize() const { return FItemSize; }
    // Resizes the block, keeping the leading records and zero-filling new ones. A capacity below
    // Count first deletes the records that no longer fit (with their OnDelete calls).
    void SetCapacity(int newCapacity);

    TDeleteEvent OnDelete;

protected:
    virtual void Grow();

private:
    void GrowForAdd();
    void CheckItemType(size_t typeSize) const;

    std::vector<uint8_t> FData;
    int FCount = 0;
    int FCapacity = 0;
    int FItemSize;
};
