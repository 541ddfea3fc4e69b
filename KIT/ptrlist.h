// A list of pointers kept in a KIT_HeapBuf (granularity 4096). The list owns
// nothing unless a delete call is asked to delete the pointee.
#pragma once

#include <cstring>

#include "heapbuf.h"

template <class T>
class KIT_PtrList {
 public:
  KIT_PtrList() : m_hb(4096) {}
  KIT_PtrList(const KIT_PtrList&) = delete;
  KIT_PtrList& operator=(const KIT_PtrList&) = delete;

  int GetSize() const { return m_hb.GetSize() / static_cast<int>(sizeof(T*)); }
  T** GetList() const { return static_cast<T**>(m_hb.Get()); }

  // The pointer at index, or null outside the list.
  T* Get(int index) const { return index >= 0 && index < GetSize() ? GetList()[index] : nullptr; }

  // Appends; returns the pointer, or null when the list could not grow.
  T* Add(T* item) { return Insert(GetSize(), item); }

  // Inserts before index (clamped to 0 .. size); returns the pointer or null.
  T* Insert(int index, T* item) {
    const int n = GetSize();
    if (index < 0) index = 0;
    if (index > n) index = n;
    m_hb.Resize((n + 1) * static_cast<int>(sizeof(T*)), false);
    if (GetSize() != n + 1) return nullptr;
    T** list = GetList();
    if (index < n) memmove(list + index + 1, list + index, sizeof(T*) * static_cast<size_t>(n - index));
    list[index] = item;
    return item;
  }

  // Removes the entry at index; deletes the pointee when deletePointer is set.
  void Delete(int index, bool deletePointer = false) {
    const int n = GetSize();
    if (index < 0 || index >= n) return;
    T** list = GetList();
    T* item = list[index];
    if (index < n - 1)
      memmove(list + index, list + index + 1, sizeof(T*) * static_cast<size_t>(n - 1 - index));
    m_hb.Resize((n - 1) * static_cast<int>(sizeof(T*)), true);
    if (deletePointer) delete item;
  }

  // Index of the first entry equal to item, or -1.
  int Find(const T* item) const {
    const int n = GetSize();
    for (int i = 0; i < n; ++i)
      if (GetList()[i] == item) return i;
    return -1;
  }

  bool DeletePtr(const T* item, bool deletePointer = false) {
    const int i = Find(item);
    if (i < 0) return false;
    Delete(i, deletePointer);
    return true;
  }

  // Empties the list, deleting pointees last to first when asked.
  void Empty(bool deletePointers = false) {
    if (deletePointers)
      for (int i = GetSize() - 1; i >= 0; --i) {
        T* item = GetList()[i];
        m_hb.Resize(i * static_cast<int>(sizeof(T*)), false);
        delete item;
      }
    m_hb.Resize(0, true);
  }

 private:
  KIT_HeapBuf m_hb;
};
