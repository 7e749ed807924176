#pragma once
// The intrusive list pattern every object family follows: objects carry prev/next, a header
// holds head, tail and count. Constructors append at the tail and increment the count last.
//
// Walks read an object's next before processing it, so an object appended while the list's
// last object is processed first runs in the next frame. The order of events relies on it.

#include <cstdint>

template <class T>
void ListAppendAtTail(T** head, T** tail, T* obj) {
  if (*head == nullptr) *head = obj;
  else (*tail)->next = obj;
  obj->prev = *tail;
  *tail = obj;
  obj->next = nullptr;
}

template <class T>
void ListUnlink(T** head, T** tail, T* obj) {
  if (obj->prev) obj->prev->next = obj->next;
  else *head = obj->next;
  if (obj->next) obj->next->prev = obj->prev;
  else *tail = obj->prev;
}

// Deletes every object without per-object clean-up.
template <class T>
void ListDeleteAll(T** head, T** tail, int32_t* count) {
  T* p = *head;
  while (p) {
    T* next = p->next;
    delete p;
    p = next;
  }
  *head = nullptr;
  *tail = nullptr;
  *count = 0;
}
