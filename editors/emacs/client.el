;;; client.el --- run by editors/emacs/run inside the tree, visiting big.ini -*- lexical-binding: t -*-
;; Starts tessaron-lsp (TESSARON_LSP) through eglot at once, as a user's
;; configuration does, and writes what the editor shows into seen.txt.
(require 'eglot)

(defvar tessaron-seen nil)
(defun tessaron-say (line) (push line tessaron-seen))
(defun tessaron-finish (ok)
  (with-temp-file (expand-file-name "seen.txt" (getenv "TESSARON_TREE"))
    (insert (mapconcat #'identity (reverse tessaron-seen) "\n") "\n"))
  (kill-emacs (if ok 0 1)))

(defun tessaron-wait-for (what done)
  "Runs the event loop until DONE holds; gives up on WHAT after 20 s."
  (let ((deadline (+ (float-time) 20)))
    (while (not (funcall done))
      (when (> (float-time) deadline)
        (tessaron-say (concat "timed out: " what))
        (tessaron-finish nil))
      (accept-process-output nil 0.05))))

(defun tessaron-where (&optional pos)
  (save-excursion
    (when pos (goto-char pos))
    (format "%s %d:%d" (file-relative-name buffer-file-name (getenv "TESSARON_TREE"))
            (line-number-at-pos) (current-column))))

(defun tessaron-below-tree (text)
  (replace-regexp-in-string (regexp-quote (file-name-as-directory (getenv "TESSARON_TREE"))) "" text t t))

;; Logging each message pretty-printed would take seconds on its own.
(setq eglot-events-buffer-size 0)
(setq eglot-server-programs `(((conf-windows-mode conf-mode) . (,(getenv "TESSARON_LSP")))))
(with-current-buffer (find-file-noselect "big.ini")
  (set-buffer (current-buffer))
  (apply #'eglot (eglot--guess-contact))
  (flymake-start)

  (tessaron-say "-- diagnostics of the file the editor started with")
  (tessaron-wait-for "diagnostics"
                     (lambda () (> (length (flymake-diagnostics)) 200)))
  (let ((counts (make-hash-table)) (shown nil))
    (dolist (d (flymake-diagnostics))
      (let ((type (flymake-diagnostic-type d)))
        (puthash type (1+ (gethash type counts 0)) counts)
        (unless (eq type 'eglot-note)
          (push (format "%s %s: %s" (tessaron-where (flymake-diagnostic-beg d)) type
                        (flymake-diagnostic-text d))
                shown))))
    (tessaron-say (format "%d notes, %d warnings, %d errors" (gethash 'eglot-note counts 0)
                          (gethash 'eglot-warning counts 0) (gethash 'eglot-error counts 0)))
    (mapc #'tessaron-say (sort shown #'string<)))

  (tessaron-say "-- definition of the name under the cursor")
  (goto-char (point-max))
  (search-backward "= Cameo0042")
  (forward-char 4)
  (let ((used (current-buffer)))
    (call-interactively #'xref-find-definitions)
    (tessaron-say (tessaron-where))
    (set-buffer used))

  (tessaron-say "-- hover on it")
  (let* ((hover (jsonrpc-request (eglot--current-server-or-lose) :textDocument/hover
                                 (eglot--TextDocumentPositionParams)))
         (text (plist-get (plist-get hover :contents) :value)))
    (mapc #'tessaron-say (split-string (tessaron-below-tree text) "\n" t)))

  (eglot-shutdown (eglot--current-server-or-lose))
  (tessaron-finish t))
