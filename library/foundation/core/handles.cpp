// The intrusive handle list: head and tail sentinels around nodes that live
// inside their owners' records, newest first when added behind the head.
#include "library/foundation/core/handles.h"

namespace veziv {

int InitHandleList(HandleListNode* head, HandleListNode* tail) {
  *head = HandleListNode{-1, nullptr, nullptr, tail};
  *tail = HandleListNode{-1, nullptr, head, nullptr};
  return 0;
}

int AddHandleListNode(HandleListNode* after, HandleListNode* node, LibraryHandle handle, void* owner) {
  node->handle = handle;
  node->owner = owner;
  node->previous = after;
  node->next = after->next;
  if (after->next != nullptr) after->next->previous = node;
  after->next = node;
  return 0;
}

int RemoveHandleListNode(HandleListNode* node) {
  if (node->previous != nullptr) node->previous->next = node->next;
  if (node->next != nullptr) node->next->previous = node->previous;
  return 0;
}

}  // namespace veziv
