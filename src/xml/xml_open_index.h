#pragma once
// The open elements of one parse, filed under the end-tag names that close them, so that an end
// tag the innermost element does not take finds the element it closes without trying every level.
//
// An end tag closes an open element when its name is the open name's first bytes and the open name
// ends there or goes on with a kNameFollow byte. The open names are kept in a compact prefix tree
// over the parsed text: a node stands for the first `depth` bytes of a filed name, a node is made
// only where names part or end, and each node knows the innermost level filed at or below it. So
// the memory is a few dozen bytes per open level however many closable prefixes its name has, and
// a lookup costs the end-tag name's bytes and the branches along it.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace xml_detail {

class OpenNameIndex {
 public:
  // text: the parsed text, which outlives the index; names are offsets into it. longestEnd: the
  // longest end-tag name that Find is ever asked for, below 65535; name bytes beyond it are never
  // filed.
  OpenNameIndex(const char* text, int32_t longestEnd);
  // Room for this many levels, so that filing many at once copies few.
  void Reserve(std::size_t levels);
  // Files a new innermost level whose name is text[name, name + length).
  void Push(int32_t level, int32_t name, int32_t length);
  // Removes the innermost level.
  void Pop();
  // The innermost level that an end tag of this name closes, or -1. length <= longestEnd.
  int32_t Find(const char* name, int32_t length) const;

 private:
  struct Node {
    int32_t name;        // text offset of a filed name that this node's bytes begin
    uint16_t depth;      // the node stands for text[name, name + depth)
    unsigned char byte;  // the byte at its parent's depth, which tells it from its siblings
    int32_t up;          // -1 for the root
    // Children part on the byte after this node's depth. They are listed in the order of their
    // innermost levels, innermost first.
    int32_t firstChild, nextSibling;
    int32_t innermost;  // innermost level (as a stack index) at or below, -1 none
    int32_t ending;     // innermost level whose filed name ends here, -1 none
  };
  struct Level {
    int32_t level;  // the caller's level
    int32_t node;   // where its filed name ends
    int32_t below;  // the next level out whose name ends at the same node, -1 none
  };

  int32_t ChildOf(int32_t node, unsigned char byte) const;
  int32_t NewNode(int32_t name, int32_t depth, int32_t up);
  void FreeNode(int32_t node);
  void Unlink(int32_t parent, int32_t child);             // removes child from parent's children
  void Replace(int32_t parent, int32_t old, int32_t by);  // puts by in old's place
  void SinkFirstChild(int32_t node);  // back to its place in the order of the node's children

  const char* m_text;
  int32_t m_longestFiled;
  std::vector<Node> m_nodes;  // node 0 is the root, the empty name
  std::vector<Level> m_levels;
  int32_t m_free = -1;  // removed nodes, linked through nextSibling
};

}  // namespace xml_detail
