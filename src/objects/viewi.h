// What the graphic objects use of the map view: the cursor-tool root that an
// object's edit tool derives from (declared only), and the block manager that tells whether
// another block still holds an object. The view implements them; tests use
// fakes. GUI thread only.
#pragma once

class TEGraphObj;

// A named selection set of the view; the objects only pass it on.
class TBlock;
// The block-edit window "Edycja bloku", handed to ApplyParams of every member
// of a block whose parameters are changed.
class TBlockE;

// Root of every cursor tool, declared by the view above the objects. Below
// the view it is only passed on as an incomplete type, in the owner
// TEditToolPtr: the objects get their edit tools from the editors the tool
// library registers (objects/edittoolsi.h).
class TKrzyz;

// Capability and change-set bits of a block edit (GetCapabilities of the
// objects, TBlockE.GetChangeSet of the block-edit window).
inline constexpr unsigned kBlockTypLinii = 0x0001;
inline constexpr unsigned kBlockGrubosc = 0x0002;
inline constexpr unsigned kBlockMnoznik = 0x0004;
inline constexpr unsigned kBlockHght = 0x0008;
inline constexpr unsigned kBlockKat = 0x0010;
inline constexpr unsigned kBlockJust = 0x0020;
inline constexpr unsigned kBlockSymbol = 0x0040;
inline constexpr unsigned kBlockUnderln = 0x0080;
inline constexpr unsigned kBlockOdn = 0x0100;
inline constexpr unsigned kBlockText = 0x0200;
inline constexpr unsigned kBlockMianownik = 0x0400;
inline constexpr unsigned kBlockOperat = 0x0800;

// The view's block manager, as TEGraphObj.UnmarkInBlock asks it.
class IBlockManager {
 public:
  virtual ~IBlockManager() = default;
  // True when Obj is a member of a block other than Block.
  virtual bool IsInOtherBlock(const TEGraphObj& Obj, const TBlock* Block) const = 0;
};

// The program's block manager, or nullptr while there is none. The view sets
// it when it creates its manager and clears it before freeing it.
IBlockManager* GetBlockManager();
void SetBlockManager(IBlockManager* Manager);
