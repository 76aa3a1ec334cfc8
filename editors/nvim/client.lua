-- Run by editors/nvim/run inside the tree, with units/tank.ini open: writes
-- what the editor shows into seen.txt.
local root = vim.env.TESSARON_TREE
local seen = {}
local function say(line) table.insert(seen, line) end
local function finish(ok)
  vim.fn.writefile(seen, root .. '/seen.txt')
  vim.cmd(ok and 'qa!' or 'cq!')
end

local client = dofile(vim.env.TESSARON_EDITORS .. '/attach.lua')
local tank = vim.api.nvim_get_current_buf()

local function wait_for(what, done)
  if not vim.wait(15000, done, 20) then
    say('timed out: ' .. what)
    finish(false)
  end
end
local function name_of(buf) return vim.fn.fnamemodify(vim.api.nvim_buf_get_name(buf), ':.') end
local function diagnostics(buf)
  local list = vim.diagnostic.get(buf)
  table.sort(list, function(a, b) return a.lnum < b.lnum or (a.lnum == b.lnum and a.col < b.col) end)
  for _, d in ipairs(list) do
    say(string.format('%s %d:%d-%d:%d %s %s %s: %s', name_of(buf), d.lnum, d.col, d.end_lnum, d.end_col,
      vim.diagnostic.severity[d.severity], d.source, d.code, d.message))
  end
end
-- Rows count from 1 and columns from 0 in bytes, as the editor's cursor does.
local function cursor() return string.format('%s %d:%d', name_of(0), unpack(vim.api.nvim_win_get_cursor(0))) end

say('-- diagnostics of the opened file')
wait_for('diagnostics', function() return #vim.diagnostic.get(tank) == 2 end)
diagnostics(tank)

say('-- definition of the name under the cursor')
vim.api.nvim_win_set_cursor(0, {4, 17})
vim.lsp.buf.definition()
wait_for('definition', function() return vim.api.nvim_get_current_buf() ~= tank end)
say(cursor())

say('-- rename Alpha to Beta')
vim.api.nvim_set_current_buf(tank)
vim.api.nvim_win_set_cursor(0, {5, 16})
vim.lsp.buf.rename('Beta')
wait_for('rename', function() return vim.api.nvim_buf_get_lines(tank, 4, 5, true)[1] == '  ButtonImage = Beta' end)
for _, buf in ipairs(vim.api.nvim_list_bufs()) do
  for row, line in ipairs(vim.api.nvim_buf_get_lines(buf, 0, -1, true)) do
    if line:find('Beta') then say(string.format('%s %d: %s', name_of(buf), row, line)) end
  end
end

say('-- an undeclared use typed in')
vim.api.nvim_buf_set_lines(tank, 5, 5, true, {'  ButtonImage = Nowhere'})
-- Changes reach the server per buffer after a pause, so the renamed buffers
-- may arrive in either order: wait for the state after all of them.
wait_for('new diagnostics', function()
  local list = vim.diagnostic.get(tank)
  return #list == 3 and vim.tbl_contains(vim.tbl_map(function(d) return d.lnum end, list), 5)
end)
diagnostics(tank)

say("-- definition of a file rule's use")
vim.o.hidden = true
vim.cmd('edit units/tower.ini')
local tower = vim.api.nvim_get_current_buf()
vim.api.nvim_win_set_cursor(0, {2, 17})
vim.lsp.buf.definition()
wait_for('rule definition', function() return vim.api.nvim_get_current_buf() ~= tower end)
say(cursor())

vim.lsp.stop_client(client)
finish(true)
