#pragma once

// Horizontal alignment of a field's text or a control's caption.
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
