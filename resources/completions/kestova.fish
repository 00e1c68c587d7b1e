# fish completion for kestova

complete -c kestova -f -a '(__fish_complete_directories)'
complete -c kestova -l help -d 'Show how to start the program'
complete -c kestova -l version -d 'Show the version'
