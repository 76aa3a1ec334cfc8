-- Starts tessaron-lsp (TESSARON_LSP) on the tree TESSARON_TREE and attaches it
-- to the current buffer and every buffer read later, as an editor's
-- configuration does. Returns the client's id.
local root = vim.env.TESSARON_TREE
local client = vim.lsp.start_client({
  cmd = {vim.env.TESSARON_LSP},
  root_dir = root,
  name = 'tessaron',
  workspace_folders = {{uri = vim.uri_from_fname(root), name = 'tree'}},
})
vim.api.nvim_create_autocmd('BufReadPost', {callback = function(args) vim.lsp.buf_attach_client(args.buf, client) end})
vim.lsp.buf_attach_client(vim.api.nvim_get_current_buf(), client)
return client
