meta:
  id: velkoscr
  title: scrpack picture pack
  application: scrpack, scrunpack
  file-extension: []
  license: MIT
  endian: le
doc: |
  The pack file "velkoscr" that scrpack writes: a directory of 32 slots of
  48 bytes, then the data area from byte 1536, where the contents of every
  listed file lie back to back in list order.

  The format has no magic number, no version, no entry count and no
  checksum: a reader finds the directory by its fixed place and size alone,
  so nothing in a file proves that it is a pack. Slot 0 is always zero. A
  slot whose 48 bytes are all zero holds no entry; any other slot is an
  entry, an empty name included. Entries follow the list's order, so in a
  pack that scrpack wrote the first entry starts at 1536 and each next one
  where the one before ends. Files listed after the 31st are packed in the
  data area too, after the last described one, but no slot describes them.
doc-ref: scrunpack(1), scrpack(1)
seq:
  - id: slots
    type: slot
    repeat: expr
    repeat-expr: 32
    doc: Slot 0 is never used; slots 1 to 31 hold the entries.
types:
  slot:
    seq:
      - id: name
        size: 40
        doc: |
          The listed name with A-Z lowered (and, in the packer's locale,
          upper-case letters above 0x7F), cut to 39 bytes, then zero bytes
          up to 40. Raw bytes: no encoding is stored. Byte 39 is always 0.
      - id: ofs_body
        type: s4
        doc: Where the contents begin, counted from the start of the pack.
      - id: len_body
        type: s4
        doc: The number of bytes of the contents.
    instances:
      is_empty:
        value: ofs_body == 0 and len_body == 0 and name == [0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0]
        doc: An all-zero slot holds no entry.
      body:
        io: _root._io
        pos: ofs_body
        size: len_body
        if: not is_empty and ofs_body >= 1536 and len_body >= 0 and ofs_body + len_body <= _root._io.size
        doc: The entry's contents, where the directory says they are.
