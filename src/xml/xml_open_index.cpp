#include "xml/xml_open_index.h"

#include <algorithm>

#include "xml/xml_chars.h"

namespace xml_detail {

OpenNameIndex::OpenNameIndex(const char* text, int32_t longestEnd)
    : m_text(text), m_longestFiled(longestEnd + 1) {
  // A name is filed one byte past the longest end-tag name, so that whether it goes on with a
  // kNameFollow byte there is still known.
  m_nodes.push_back(Node{0, 0, 0, -1, -1, -1, -1, -1});
}

void OpenNameIndex::Reserve(std::size_t levels) { m_levels.reserve(levels); }

void OpenNameIndex::Push(int32_t level, int32_t name, int32_t length) {
  const int32_t filed = std::min(length, m_longestFiled);
  const int32_t me = static_cast<int32_t>(m_levels.size());
  const char* bytes = m_text + name;
  int32_t u = 0, pos = 0;
  while (pos < filed) {
    const int32_t c = ChildOf(u, static_cast<unsigned char>(bytes[pos]));
    if (c < 0) {
      const int32_t leaf = NewNode(name, filed, u);
      m_nodes[leaf].nextSibling = m_nodes[u].firstChild;
      m_nodes[u].firstChild = leaf;
      u = leaf;
      break;
    }
    if (m_nodes[u].firstChild != c) {  // the new innermost level's branch comes first
      Unlink(u, c);
      m_nodes[c].nextSibling = m_nodes[u].firstChild;
      m_nodes[u].firstChild = c;
    }
    const int32_t childName = m_nodes[c].name, childDepth = m_nodes[c].depth;
    const char* other = m_text + childName;
    const int32_t end = std::min(filed, childDepth);
    int32_t k = pos + 1;
    while (k < end && other[k] == bytes[k]) ++k;
    if (k == childDepth) {
      u = c;
      pos = k;
      continue;
    }
    // The name parts from the branch at k, or ends there: a node at k takes the branch's place.
    const int32_t split = NewNode(childName, k, u);
    m_nodes[split].innermost = m_nodes[c].innermost;
    Replace(u, c, split);
    m_nodes[split].firstChild = c;
    m_nodes[c].nextSibling = -1;
    m_nodes[c].up = split;
    m_nodes[c].byte = static_cast<unsigned char>(other[k]);
    u = split;
    pos = k;
  }
  m_levels.push_back(Level{level, u, m_nodes[u].ending});
  m_nodes[u].ending = me;
  for (int32_t v = u; v >= 0; v = m_nodes[v].up) m_nodes[v].innermost = me;
}

void OpenNameIndex::Pop() {
  const Level top = m_levels.back();
  m_levels.pop_back();
  int32_t v = top.node;
  m_nodes[v].ending = top.below;
  // Drop the nodes that no longer end a name nor part two.
  while (v != 0 && m_nodes[v].ending < 0) {
    const int32_t up = m_nodes[v].up, child = m_nodes[v].firstChild;
    if (child < 0) {
      Unlink(up, v);
      FreeNode(v);
      v = up;
      continue;
    }
    if (m_nodes[child].nextSibling < 0) {
      Replace(up, v, child);
      FreeNode(v);
      v = up;
    }
    break;
  }
  // Along the level's path its branch came first; it goes back to its place, so every list of
  // children stays in the order of their innermost levels, innermost first. It sinks past the
  // branches that it passed when it came first, so a removal costs what the filing did.
  for (; v >= 0; v = m_nodes[v].up) {
    SinkFirstChild(v);
    const int32_t first = m_nodes[v].firstChild;
    m_nodes[v].innermost = std::max(m_nodes[v].ending, first < 0 ? -1 : m_nodes[first].innermost);
  }
}

int32_t OpenNameIndex::Find(const char* name, int32_t length) const {
  int32_t u = 0, pos = 0;
  for (;;) {
    const Node& node = m_nodes[u];
    if (pos == length) {
      // Names that end here, and those that go on with a byte that may follow a closed name: the
      // first such branch holds the innermost of them.
      int32_t best = node.ending;
      for (int32_t c = node.firstChild; c >= 0; c = m_nodes[c].nextSibling) {
        if (Is(static_cast<char>(m_nodes[c].byte), kNameFollow)) {
          best = std::max(best, m_nodes[c].innermost);
          break;
        }
      }
      return best < 0 ? -1 : m_levels[best].level;
    }
    const int32_t c = ChildOf(u, static_cast<unsigned char>(name[pos]));
    if (c < 0) return -1;
    const Node& child = m_nodes[c];
    const char* filed = m_text + child.name;
    const int32_t end = std::min<int32_t>(length, child.depth);
    for (int32_t k = pos + 1; k < end; ++k) {
      if (filed[k] != name[k]) return -1;
    }
    if (length < child.depth) {
      // The end-tag name ends inside the branch: every name below goes on with the same byte.
      return Is(filed[length], kNameFollow) ? m_levels[child.innermost].level : -1;
    }
    u = c;
    pos = child.depth;
  }
}

int32_t OpenNameIndex::ChildOf(int32_t node, unsigned char byte) const {
  for (int32_t c = m_nodes[node].firstChild; c >= 0; c = m_nodes[c].nextSibling) {
    if (m_nodes[c].byte == byte) return c;
  }
  return -1;
}

int32_t OpenNameIndex::NewNode(int32_t name, int32_t depth, int32_t up) {
  const Node node{name,
                  static_cast<uint16_t>(depth),
                  static_cast<unsigned char>(m_text[name + m_nodes[up].depth]),
                  up,
                  -1,
                  -1,
                  -1,
                  -1};
  if (m_free < 0) {
    m_nodes.push_back(node);
    return static_cast<int32_t>(m_nodes.size()) - 1;
  }
  const int32_t reused = m_free;
  m_free = m_nodes[reused].nextSibling;
  m_nodes[reused] = node;
  return reused;
}

void OpenNameIndex::FreeNode(int32_t node) {
  m_nodes[node].nextSibling = m_free;
  m_free = node;
}

void OpenNameIndex::Unlink(int32_t parent, int32_t child) {
  int32_t* link = &m_nodes[parent].firstChild;
  while (*link != child) link = &m_nodes[*link].nextSibling;
  *link = m_nodes[child].nextSibling;
}

void OpenNameIndex::Replace(int32_t parent, int32_t old, int32_t by) {
  int32_t* link = &m_nodes[parent].firstChild;
  while (*link != old) link = &m_nodes[*link].nextSibling;
  *link = by;
  m_nodes[by].nextSibling = m_nodes[old].nextSibling;
  m_nodes[by].up = parent;
  m_nodes[by].byte = m_nodes[old].byte;
}

void OpenNameIndex::SinkFirstChild(int32_t node) {
  const int32_t first = m_nodes[node].firstChild;
  if (first < 0) return;
  const int32_t innermost = m_nodes[first].innermost;
  int32_t after = m_nodes[first].nextSibling;
  if (after < 0 || m_nodes[after].innermost < innermost) return;
  m_nodes[node].firstChild = after;
  for (int32_t next = m_nodes[after].nextSibling; next >= 0 && m_nodes[next].innermost > innermost;
       next = m_nodes[after].nextSibling) {
    after = next;
  }
  m_nodes[first].nextSibling = m_nodes[after].nextSibling;
  m_nodes[after].nextSibling = first;
}

}  // namespace xml_detail
