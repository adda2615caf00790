// Replaced by the data-file core.
namespace trelm {}
